'''corvaned on a mocked phone: its root folder, its settings, the daemon as a separate process'''

import os
import plistlib
import shutil
import sqlite3
import tempfile
import unittest

from mockdevice import HERE, MockDevice, Process, scratch_folder

TOP = os.path.dirname(os.path.dirname(HERE))
PREFERENCES = 'private/var/mobile/Library/Preferences'
SETTINGS = PREFERENCES + '/org.fernhill.Ampwise.plist'
RADIOS_FILE = PREFERENCES + '/org.fernhill.corvaned-radios.plist'
STATISTICS = PREFERENCES + '/com.quibbit.Corvanix-stats/stats.db'
SCHEDULED_WAKES = 'Library/Preferences/SystemConfiguration/com.apple.AutoWake.plist'
PREFERENCES_CHANGED = 'org.fernhill.Corvane-preferencesChanged'

# A Custom strategy that switches every radio off one second after the lock
# and restores what was on half a second after the unlock.
FAST_CUSTOM = {
    'Debug': True,
    'Strategy': 5,
    'SwitchRadiosOnLock': True,
    'NoneOnAC': True,
    'LowPowerMode': True,
    'MinRate': 0,
    'MaxRate': 0,
    'EnabledAllRadios': True,
    'EnabledAllRadiosInBackground': True,
    'EnabledEdgeOffOnWifi': False,
    'RadioTimerDurationAtSleep': 1.0,
    'RadioTimerDurationAtWakeup': 0.5,
    'WakeInterval': 15.0,
    'ManageCriticalLevel': False,
    'SaveStats': True,
    'SaveLastState': True,
    'Edge': 0, '3G': 0, '4G': 0, 'WiFi': 0, 'Location': 0, 'Push': 0, 'Bluetooth': 0,
    'EdgeAtSleep': 2, '3GAtSleep': 2, '4GAtSleep': 2, 'WiFiAtSleep': 2, 'LocationAtSleep': 2,
    'PushAtSleep': 2, 'BluetoothAtSleep': 2,
}


def find_program(variable, relative):
    '''The program named by $variable, else the first build of it in the source tree.'''
    if os.environ.get(variable):
        return os.environ[variable]
    for build in ('release', 'dev', 'test'):
        candidate = os.path.join(TOP, 'build', build, relative)
        if os.access(candidate, os.X_OK):
            return candidate
    raise unittest.SkipTest(f'no {relative} built (set {variable})')


class PhoneRoot:
    '''A fresh filesystem root for the daemon and the app.'''

    def __init__(self, settings=None):
        self.path = tempfile.mkdtemp(prefix='corvane-root-', dir=scratch_folder())
        os.makedirs(self.file(PREFERENCES))
        if settings is not None:
            self.write_settings(settings)

    def file(self, relative):
        return os.path.join(self.path, relative)

    def write_settings(self, settings):
        with open(self.file(SETTINGS), 'wb') as out:
            plistlib.dump(settings, out, fmt=plistlib.FMT_XML)

    def settings(self):
        with open(self.file(SETTINGS), 'rb') as source:
            return plistlib.load(source)

    def saved_radios(self):
        '''The radio states file, or None.'''
        try:
            with open(self.file(RADIOS_FILE), 'rb') as source:
                return plistlib.load(source)
        except FileNotFoundError:
            return None

    def statistics(self):
        '''The rows of the statistics database, as dictionaries (none while it does not exist).'''
        if not os.path.exists(self.file(STATISTICS)):
            return []
        with sqlite3.connect(f'file:{self.file(STATISTICS)}?mode=ro', uri=True) as db:
            db.row_factory = sqlite3.Row
            try:
                return [dict(row) for row in db.execute('SELECT * FROM BATTERY_STATUS ORDER BY ID')]
            except sqlite3.OperationalError:
                return []

    def scheduled_wakes(self):
        try:
            with open(self.file(SCHEDULED_WAKES), 'rb') as source:
                return plistlib.load(source).get('events', [])
        except (FileNotFoundError, plistlib.InvalidFileException):
            return []

    def remove(self):
        shutil.rmtree(self.path, ignore_errors=True)


def start_corvaned(device, root, *arguments):
    '''corvaned on the mocked phone's buses with `root`, no rfkill, outside any logind session.'''
    env = device.environment()
    env.pop('XDG_SESSION_ID', None)
    env['CORVANE_ROOT'] = root.path
    argv = [find_program('CORVANED', 'device/corvaned'), '--root', root.path, '--rfkill', '', *arguments]
    return Process(device.loop, argv, env=env, name='corvaned')


def corvaned_status(device, root):
    '''The output of `corvaned --status` once it ended, and its exit status.'''
    process = start_corvaned(device, root, '--status')
    try:
        status = process.wait_for_exit(30)
        return process.output(), status
    finally:
        process.close()


def choose_strategy(device, root, strategy):
    '''The app's strategy chooser, in its own process: the user taps `strategy`.'''
    env = device.environment()
    env['CORVANE_ROOT'] = root.path
    program = find_program('CORVANE_CHOOSE_STRATEGY', 'tests/device/device_choose_strategy')
    process = Process(device.loop, [program, str(strategy)], env=env, name='app strategy chooser')
    try:
        return process.wait_for_exit(30), process.output()
    finally:
        process.close()


class DaemonTestCase(unittest.TestCase):
    '''Each test: a fresh mocked phone (SERVICES), a fresh root with SETTINGS, and corvaned on them.'''

    SERVICES = None
    SETTINGS = FAST_CUSTOM
    ARGUMENTS = ()

    def setUp(self):
        self.device = MockDevice() if self.SERVICES is None else MockDevice(self.SERVICES)
        self.addCleanup(self.device.close)
        self.root = PhoneRoot(dict(self.SETTINGS))
        self.addCleanup(self.root.remove)
        self.device.loop.watch_folder(self.root.path)
        self.daemon = None

    def start(self, *arguments):
        '''Starts corvaned and waits until it follows the session.'''
        self.daemon = start_corvaned(self.device, self.root, *self.ARGUMENTS, *arguments)
        self.addCleanup(self.daemon.close)
        self.daemon.wait_for_line('corvaned: session ', 30)
        return self.daemon

    def barrier(self):
        '''Returns once corvaned has handled every message the system bus had for it so far, with all it printed.'''
        bus = self.device.system
        driver = bus.get_object('org.freedesktop.DBus', '/org/freedesktop/DBus')
        for name in driver.ListNames(dbus_interface='org.freedesktop.DBus'):
            if name.startswith(':') and \
                    driver.GetConnectionUnixProcessID(name, dbus_interface='org.freedesktop.DBus') == self.daemon.popen.pid:
                bus.call_blocking(name, '/', 'org.freedesktop.DBus.Peer', 'Ping', '', [], timeout=10)
        self.device.loop.settle()

    def stop(self):
        '''A clean stop; the daemon must end with status 0.'''
        self.assertEqual(self.daemon.stop(30), 0, self.daemon.output())

    def lines(self, text):
        return [line for line in self.daemon.lines if text in line]

    def wait_for_radios(self, timeout=15, **expected):
        return self.device.wait_for_radios(timeout, **expected)

    def wait_for_file(self, read, what, timeout=15):
        return self.device.wait_until(read, timeout, what)
