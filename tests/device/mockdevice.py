'''A Linux phone's services on private D-Bus buses, for corvaned to run against

MockDevice starts a dbus-daemon with a system-type configuration
(DBUS_SYSTEM_BUS_ADDRESS points at it) and one for the session, then
python3-dbusmock with Debian's templates (logind, upower, networkmanager,
bluez5, power_profiles_daemon on the system bus; gnome_screensaver and
notification_daemon on the session bus) and this folder's ModemManager
template, and sets up what a phone has: a user session, a battery, WiFi
joined to a network, a modem with mobile data, a Bluetooth adapter. What the
templates lack is added through dbusmock's AddTemplate/AddMethod/AddProperty
(the extensions in mocks/).

Nothing here sleeps: `wait_until` runs the GLib main loop until a predicate
holds, waking on every D-Bus signal of either bus, every line a watched
process prints and every change in watched folders, and fails after a
bounded time.
'''

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

import dbus
import dbus.mainloop.glib
from gi.repository import Gio, GLib

import dbusmock
from dbusmock import MOCK_IFACE

dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)

HERE = os.path.dirname(os.path.abspath(__file__))
MOCKS = os.path.join(HERE, 'mocks')
PYTHON = '/usr/bin/python3'

LOGIN = 'org.freedesktop.login1'
LOGIN_PATH = '/org/freedesktop/login1'
LOGIN_MANAGER = 'org.freedesktop.login1.Manager'
SESSION_IFACE = 'org.freedesktop.login1.Session'
UPOWER = 'org.freedesktop.UPower'
UPOWER_PATH = '/org/freedesktop/UPower'
UPOWER_DEVICE = 'org.freedesktop.UPower.Device'
NM = 'org.freedesktop.NetworkManager'
NM_PATH = '/org/freedesktop/NetworkManager'
NM_DEVICE = 'org.freedesktop.NetworkManager.Device'
NM_WIRELESS = 'org.freedesktop.NetworkManager.Device.Wireless'
NM_ACTIVE = 'org.freedesktop.NetworkManager.Connection.Active'
BLUEZ = 'org.bluez'
BLUEZ_ADAPTER = 'org.bluez.Adapter1'
PROFILES = 'net.hadess.PowerProfiles'
PROFILES_PATH = '/net/hadess/PowerProfiles'
MM = 'org.freedesktop.ModemManager1'
MM_PATH = '/org/freedesktop/ModemManager1'
MM_MODEM = 'org.freedesktop.ModemManager1.Modem'
SCREENSAVER = 'org.gnome.ScreenSaver'
SCREENSAVER_PATH = '/org/gnome/ScreenSaver'
NOTIFICATIONS = 'org.freedesktop.Notifications'
NOTIFICATIONS_PATH = '/org/freedesktop/Notifications'
PROPERTIES = 'org.freedesktop.DBus.Properties'

MODE_2G, MODE_3G, MODE_4G = 2, 4, 8
ALL_SERVICES = ('logind', 'upower', 'networkmanager', 'bluez5', 'power_profiles_daemon', 'modemmanager',
                'gnome_screensaver', 'notification_daemon')


def scratch_folder():
    '''Where temporary folders go: in memory (/dev/shm) unless TMPDIR names another place.'''
    if 'TMPDIR' not in os.environ and os.access('/dev/shm', os.W_OK):
        return '/dev/shm'
    return None


class Timeout(AssertionError):
    pass


class EventLoop:
    '''The GLib main loop the tests wait on.'''

    def __init__(self):
        self.context = GLib.MainContext.default()
        self.monitors = {}
        self.describers = []

    def wait_until(self, predicate, timeout, what):
        '''Runs the loop until predicate() is true (returns its value); fails after `timeout` seconds.'''
        expired = []
        source = GLib.timeout_add(int(timeout * 1000), lambda: expired.append(True) and False)
        try:
            while True:
                result = predicate()
                if result:
                    return result
                if expired:
                    details = ''.join(describe() for describe in self.describers)
                    raise Timeout(f'waited {timeout:g} s for {what}{details}')
                self.context.iteration(True)
        finally:
            if not expired:
                GLib.source_remove(source)

    def settle(self):
        '''Dispatches what has already arrived.'''
        while self.context.iteration(False):
            pass

    def watch_folder(self, path):
        '''Wakes the loop on changes under `path` (folders created later included).'''
        if path in self.monitors or not os.path.isdir(path):
            return
        monitor = Gio.File.new_for_path(path).monitor_directory(Gio.FileMonitorFlags.WATCH_MOVES, None)
        monitor.set_rate_limit(0)
        monitor.connect('changed', self._changed)
        self.monitors[path] = monitor
        for entry in os.scandir(path):
            if entry.is_dir():
                self.watch_folder(entry.path)

    def _changed(self, _monitor, file, _other, event):
        if event in (Gio.FileMonitorEvent.CREATED, Gio.FileMonitorEvent.MOVED_IN) and file.get_path():
            self.watch_folder(file.get_path())


class Process:
    '''A program whose output (stdout and stderr, merged) is read on the loop, line by line.'''

    def __init__(self, loop, argv, env=None, name=None, quiet=False):
        self.loop = loop
        self.quiet = quiet
        self.name = name or os.path.basename(argv[0])
        self.argv = argv
        self.lines = []
        self._partial = b''
        self.popen = subprocess.Popen(argv, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=env,
                                      stdin=subprocess.DEVNULL)
        os.set_blocking(self.popen.stdout.fileno(), False)
        self._watch = GLib.io_add_watch(self.popen.stdout.fileno(), GLib.PRIORITY_DEFAULT,
                                        GLib.IO_IN | GLib.IO_HUP | GLib.IO_ERR, self._readable)
        loop.describers.append(self.describe)

    def _readable(self, fd, _condition):
        try:
            data = os.read(fd, 65536)
        except BlockingIOError:
            return True
        if not data:
            if self._partial:
                self.lines.append(self._partial.decode(errors='replace'))
                self._partial = b''
            self._watch = None
            # The end of its output often comes just before the process can be
            # reaped, and nothing else would wake a loop waiting for its exit:
            # look again every 20 ms until it has ended.
            GLib.timeout_add(20, lambda: self.popen.poll() is None)
            return False
        *complete, self._partial = (self._partial + data).split(b'\n')
        self.lines.extend(line.decode(errors='replace') for line in complete)
        return True

    def describe(self):
        lines = self.lines
        if self.quiet:
            # A mock logs every call: only its refusals and failures say something.
            lines = [line for line in lines if 'raised' in line or 'Error' in line or 'Traceback' in line]
            if not lines and self.popen.poll() is None:
                return ''
        tail = '\n    '.join(lines[-40:])
        status = 'running' if self.popen.poll() is None else f'exit status {self.popen.returncode}'
        return f'\n  {self.name} ({status}) printed:\n    {tail}'

    def output(self):
        return '\n'.join(self.lines)

    def line_containing(self, text):
        return next((line for line in self.lines if text in line), None)

    def wait_for_line(self, text, timeout=20):
        return self.loop.wait_until(lambda: self.line_containing(text), timeout, f'{self.name} to print "{text}"')

    def wait_for_exit(self, timeout=10):
        '''Waits for the process to end and for all it printed; returns its exit status.'''
        self.loop.wait_until(lambda: self.popen.poll() is not None and self._watch is None, timeout,
                             f'{self.name} to exit')
        return self.popen.returncode

    def signal(self, number):
        if self.popen.poll() is None:
            self.popen.send_signal(number)

    def stop(self, timeout=10):
        '''SIGTERM, then the exit status.'''
        self.signal(signal.SIGTERM)
        return self.wait_for_exit(timeout)

    def kill(self):
        self.signal(signal.SIGKILL)
        return self.wait_for_exit()

    def close(self):
        if self.popen.poll() is None:
            self.popen.kill()
            self.popen.wait()
        if self._watch is not None:
            GLib.source_remove(self._watch)
            self._watch = None
        self.popen.stdout.close()
        if self.describe in self.loop.describers:
            self.loop.describers.remove(self.describe)


class MockDevice:
    '''The services of a phone on private buses, set up as a phone has them.

    services: which of ALL_SERVICES to start (all by default).
    '''

    def __init__(self, services=ALL_SERVICES, loop=None):
        self.loop = loop or EventLoop()
        self.services = set(services)
        self.folder = tempfile.mkdtemp(prefix='corvane-device-', dir=scratch_folder())
        self.buses = {}
        self.mocks = {}
        self.signals = []
        self._saved_environment = {k: os.environ.get(k) for k in
                                   ('DBUS_SYSTEM_BUS_ADDRESS', 'DBUS_SESSION_BUS_ADDRESS')}
        try:
            self._start_buses()
            self._start_mocks()
        except BaseException:
            self.close()
            raise

    # -- buses and mocks ---------------------------------------------------

    def _start_buses(self):
        for kind in ('system', 'session'):
            config = os.path.join(self.folder, f'{kind}.conf')
            with open(config, 'w', encoding='utf-8') as out:
                out.write(f'''<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>{kind}</type>
  <keep_umask/>
  <listen>unix:dir={self.folder}</listen>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
''')
            pid, address = dbusmock.DBusTestCase.start_dbus(conf=config)
            self.buses[kind] = (pid, address)
            os.environ[f'DBUS_{kind.upper()}_BUS_ADDRESS'] = address
        self.system = dbus.bus.BusConnection(self.buses['system'][1])
        self.session = dbus.bus.BusConnection(self.buses['session'][1])
        for bus in (self.system, self.session):
            bus.add_signal_receiver(self._heard, interface_keyword='interface', member_keyword='member',
                                    path_keyword='path')

    def _heard(self, *args, interface=None, member=None, path=None):
        self.signals.append((str(interface), str(member), str(path), args))

    def environment(self):
        '''The environment of a process that should see these buses.'''
        env = dict(os.environ)
        env['DBUS_SYSTEM_BUS_ADDRESS'] = self.buses['system'][1]
        env['DBUS_SESSION_BUS_ADDRESS'] = self.buses['session'][1]
        return env

    def start_mocks(self, templates):
        '''Starts mocks side by side: (template, bus name, main path, on the system bus) each; returns their main objects.'''
        started = []
        for template, name, path, system_bus in templates:
            argv = [PYTHON, '-m', 'dbusmock', '--system' if system_bus else '--session', '--template', template]
            process = Process(self.loop, argv, env=self.environment(), name='mock ' + os.path.basename(template),
                              quiet=True)
            self.mocks[template] = process
            started.append((process, self.system if system_bus else self.session, name, path))
        objects = []
        for process, bus, name, path in started:
            self.loop.wait_until(lambda: bus.name_has_owner(name) or process.popen.poll() is not None, 60,
                                 f'{name} on the bus')
            if process.popen.poll() is not None:
                raise RuntimeError(f'the {name} mock did not start:{process.describe()}')
            objects.append(bus.get_object(name, path))
        return objects

    def extend(self, mock, extension, parameters=None):
        '''Loads one of mocks/ into a running mock.'''
        mock.AddTemplate(os.path.join(MOCKS, extension + '.py'),
                         dbus.Dictionary(parameters or {}, signature='sv'), dbus_interface=MOCK_IFACE)

    def _start_mocks(self):
        s = self.services
        table = [
            ('logind', 'logind', LOGIN, LOGIN_PATH, True),
            ('upower', 'upower', UPOWER, UPOWER_PATH, True),
            ('modemmanager', os.path.join(MOCKS, 'modemmanager.py'), MM, MM_PATH, True),
            ('networkmanager', 'networkmanager', NM, '/org/freedesktop', True),
            ('bluez5', 'bluez5', BLUEZ, '/', True),
            ('power_profiles_daemon', 'power_profiles_daemon', PROFILES, PROFILES_PATH, True),
            ('gnome_screensaver', 'gnome_screensaver', SCREENSAVER, SCREENSAVER_PATH, False),
            ('notification_daemon', 'notification_daemon', NOTIFICATIONS, NOTIFICATIONS_PATH, False),
        ]
        wanted = [row for row in table if row[0] in s]
        started = dict(zip((row[0] for row in wanted), self.start_mocks([row[1:] for row in wanted])))
        self.logind = started.get('logind')
        self.upower = started.get('upower')
        self.modemmanager = started.get('modemmanager')
        self.networkmanager = started.get('networkmanager')
        self.bluez = started.get('bluez5')
        self.profiles = started.get('power_profiles_daemon')
        self.screensaver = started.get('gnome_screensaver')
        self.notifications = started.get('notification_daemon')
        if 'logind' in s:
            self.session_path = str(self.logind.AddSession('c1', 'seat0', dbus.UInt32(os.getuid()),
                                                           os.environ.get('USER', 'user'), True,
                                                           dbus_interface=MOCK_IFACE))
            self.logind_session = self.system.get_object(LOGIN, self.session_path)
            user = self.system.get_object(LOGIN, f'{LOGIN_PATH}/user/{os.getuid()}')
            user.Set('org.freedesktop.login1.User', 'Display',
                     dbus.Struct(('c1', dbus.ObjectPath(self.session_path)), signature='so'),
                     dbus_interface=PROPERTIES)
            self.logind_session.Set(SESSION_IFACE, 'Type', 'wayland', dbus_interface=PROPERTIES)
            self.extend(self.logind, 'logind_session')
        if 'upower' in s:
            self.battery_path = str(self.upower.AddDischargingBattery('battery_BAT0', 'Mock battery', 80.0, 36000,
                                                                      dbus_interface=MOCK_IFACE))
            self.battery = self.system.get_object(UPOWER, self.battery_path)
            self.battery.AddProperties(UPOWER_DEVICE, dbus.Dictionary({
                'NativePath': 'BAT0',
                'Vendor': 'dbusmock',
                'Technology': dbus.UInt32(1),
                'IsRechargeable': True,
                'Online': False,
                'TimeToFull': dbus.Int64(0),
                'EnergyEmpty': 0.0,
                'EnergyFullDesign': 11.0,
                'EnergyRate': 1.9,
                'Voltage': 3.85,
                'Temperature': 29.5,
                'Capacity': 90.9,
                'ChargeCycles': dbus.Int32(123),
                'UpdateTime': dbus.UInt64(int(time.time())),
            }, signature='sv'), dbus_interface=MOCK_IFACE)
            self.battery.Set(UPOWER_DEVICE, 'EnergyFull', 10.0, dbus_interface=PROPERTIES)
            self.battery.Set(UPOWER_DEVICE, 'Energy', 8.0, dbus_interface=PROPERTIES)
            self.upower.Set(UPOWER, 'OnBattery', True, dbus_interface=PROPERTIES)
            self.upower.SetupDisplayDevice(dbus.UInt32(2), dbus.UInt32(2), 80.0, 8.0, 10.0, 1.9, dbus.Int64(15157),
                                           dbus.Int64(0), True, 'battery-good-symbolic', dbus.UInt32(1),
                                           dbus_interface=MOCK_IFACE)
        if 'modemmanager' in s:
            self.modem_path = MM_PATH + '/Modem/0'
            self.modem = self.system.get_object(MM, self.modem_path)
        if 'networkmanager' in s:
            self.nm_manager = self.system.get_object(NM, NM_PATH)
            self.extend(self.networkmanager, 'networkmanager_device')
            self.wifi_device_path = str(self.networkmanager.AddAssociatedWiFi('wlan0', 'Home network',
                                                                              dbus.Byte(62),
                                                                              dbus_interface=MOCK_IFACE))
            self.wifi_device = self.system.get_object(NM, self.wifi_device_path)
            if 'modemmanager' in s:
                self.modem_device_path = str(self.networkmanager.AddModemDevice('wwan0', self.modem_path,
                                                                                dbus_interface=MOCK_IFACE))
                self.modem_device = self.system.get_object(NM, self.modem_device_path)
        if 'bluez5' in s:
            self.adapter_path = str(self.bluez.AddAdapter('hci0', 'phone', dbus_interface='org.bluez.Mock'))
            self.adapter = self.system.get_object(BLUEZ, self.adapter_path)
            self.extend(self.bluez, 'strict_properties', {'objects': dbus.Dictionary({
                self.adapter_path: {BLUEZ_ADAPTER: ['Powered', 'Discoverable', 'Pairable', 'Alias']}},
                signature='sv')})
        if 'power_profiles_daemon' in s:
            self.extend(self.profiles, 'strict_properties', {'objects': dbus.Dictionary({
                PROFILES_PATH: {PROFILES: ['ActiveProfile']}}, signature='sv')})
        self.clear_calls()

    def clear_calls(self):
        '''Forgets the method calls and property writes made so far (the set-up's own).'''
        for mock in self._mock_objects():
            mock.ClearCalls(dbus_interface=MOCK_IFACE)
        self.loop.settle()
        self.signals.clear()

    def _mock_objects(self):
        names = {'logind': 'logind', 'upower': 'upower', 'networkmanager': 'nm_manager', 'bluez5': 'adapter',
                 'power_profiles_daemon': 'profiles', 'modemmanager': 'modem', 'gnome_screensaver': 'screensaver',
                 'notification_daemon': 'notifications'}
        return [getattr(self, names[s]) for s in ALL_SERVICES if s in self.services]

    def close(self):
        if getattr(self, '_refresh', None):
            GLib.source_remove(self._refresh)
            self._refresh = None
        for process in self.mocks.values():
            process.close()
        self.mocks.clear()
        for kind in ('system', 'session'):
            if kind in self.buses:
                pid = self.buses.pop(kind)[0]
                try:
                    os.kill(pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for key, value in self._saved_environment.items():
            if value is None:
                os.environ.pop(key, None)
            else:
                os.environ[key] = value
        shutil.rmtree(self.folder, ignore_errors=True)

    # -- what the user does ------------------------------------------------

    def lock(self):
        self.logind_session.SetLockedHint(True, dbus_interface=SESSION_IFACE)

    def unlock(self):
        self.logind_session.SetLockedHint(False, dbus_interface=SESSION_IFACE)

    def screen_off(self, off=True):
        self.screensaver.SetActive(off, dbus_interface=SCREENSAVER)

    def prepare_for_sleep(self, going):
        self.logind.EmitSignal(LOGIN_MANAGER, 'PrepareForSleep', 'b', [dbus.Boolean(going)],
                               dbus_interface=MOCK_IFACE)

    def set_battery(self, **properties):
        self.upower.SetDeviceProperties(self.battery_path, dbus.Dictionary(properties, signature='sv'),
                                        dbus_interface=MOCK_IFACE)

    def refresh_battery(self, every):
        '''Reports the battery every `every` seconds from now on, as UPower's periodic refresh does.'''
        def refresh():
            self.set_battery(UpdateTime=dbus.UInt64(int(time.time())))
            return True
        self._refresh = GLib.timeout_add(int(every * 1000), refresh)

    def set_on_battery(self, on_battery):
        self.upower.Set(UPOWER, 'OnBattery', dbus.Boolean(on_battery), dbus_interface=PROPERTIES)

    # -- what the phone shows ----------------------------------------------

    def wifi_enabled(self):
        return bool(self.nm_manager.Get(NM, 'WirelessEnabled', dbus_interface=PROPERTIES))

    def wifi_joined(self):
        return int(self.wifi_device.Get(NM_DEVICE, 'State', dbus_interface=PROPERTIES)) == 100

    def mobile_data_active(self):
        '''The modem's data connection is up in NetworkManager.'''
        active = str(self.modem_device.Get(NM_DEVICE, 'ActiveConnection', dbus_interface=PROPERTIES))
        return active != '/' and int(self.modem_device.Get(NM_DEVICE, 'State', dbus_interface=PROPERTIES)) == 100

    def wwan_enabled(self):
        return bool(self.nm_manager.Get(NM, 'WwanEnabled', dbus_interface=PROPERTIES))

    def bluetooth_powered(self):
        return bool(self.adapter.Get(BLUEZ_ADAPTER, 'Powered', dbus_interface=PROPERTIES))

    def current_modes(self):
        allowed, preferred = self.modem.Get(MM_MODEM, 'CurrentModes', dbus_interface=PROPERTIES)
        return int(allowed), int(preferred)

    def power_profile(self):
        return str(self.profiles.Get(PROFILES, 'ActiveProfile', dbus_interface=PROPERTIES))

    def radios(self):
        '''What the radios are, as a dictionary (services not running left out).'''
        state = {}
        if 'networkmanager' in self.services:
            state['wifi'] = self.wifi_enabled()
            if 'modemmanager' in self.services:
                state['data'] = self.mobile_data_active()
        if 'bluez5' in self.services:
            state['bluetooth'] = self.bluetooth_powered()
        if 'modemmanager' in self.services:
            state['modes'] = self.current_modes()
        if 'power_profiles_daemon' in self.services:
            state['profile'] = self.power_profile()
        return state

    def calls(self, mock, method):
        '''The calls of `method` made to a mock object since the last clear_calls(), as argument lists.'''
        return [list(args) for _, args in mock.GetMethodCalls(method, dbus_interface=MOCK_IFACE)]

    def property_writes(self):
        '''Every property written on the radios' services, as (object path, property, value).'''
        writes = []
        for name in ('nm_manager', 'adapter', 'profiles'):
            mock = getattr(self, name, None)
            if mock is not None:
                writes += [(mock.object_path, str(a[1]), a[2]) for a in self.calls(mock, 'Set')]
        return writes

    def inhibitors(self):
        return [tuple(str(x) for x in i[:4]) for i in self.logind.ListInhibitors(dbus_interface=LOGIN_MANAGER)]

    def wait_until(self, predicate, timeout=10, what='a condition'):
        return self.loop.wait_until(predicate, timeout, what)

    def wait_for_radios(self, timeout=30, **expected):
        '''Waits until each radio named is as given (wifi=False, modes=(6, 4), ...).'''
        def matches():
            state = self.radios()
            return all(state.get(k) == v for k, v in expected.items())
        return self.loop.wait_until(matches, timeout, f'radios {expected} (last seen {self.radios()})')

    def heard(self, member, interface=None):
        '''Signals heard on either bus since the last clear_calls(), as argument tuples.'''
        return [args for i, m, _, args in self.signals if m == member and (interface is None or i == interface)]
