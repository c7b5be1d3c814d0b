'''What the logind template lacks for a session's daemon

Loaded into a running logind mock with AddTemplate. Adds the manager's
InhibitDelayMaxUSec, BlockInhibited and DelayInhibited, GetSessionByPID and
GetUserByPID (which answer NoSessionForPID / NoUserForPID unless the
parameter "SessionForPID" names a session path, as for a process started
outside any session such as a user service), and replaces Inhibit so that a
released inhibitor is announced by the mock signal
org.freedesktop.DBus.Mock.InhibitorReleased(what, who, why, mode).
Parameter "InhibitDelayMaxUSec" (default 5 s).
'''

import os

import dbus
from gi.repository import GLib

from dbusmock import MOCK_IFACE, mockobject

MAIN_IFACE = 'org.freedesktop.login1.Manager'


def load(mock, parameters):
    mock.AddProperties(MAIN_IFACE, dbus.Dictionary({
        'InhibitDelayMaxUSec': dbus.UInt64(parameters.get('InhibitDelayMaxUSec', 5000000)),
        'BlockInhibited': '',
        'DelayInhibited': '',
    }, signature='sv'))
    mock.session_for_pid = str(parameters.get('SessionForPID', ''))
    mock.inhibitors = []
    mock.AddMethod(MAIN_IFACE, 'GetSessionByPID', 'u', 'o', session_by_pid)
    mock.AddMethod(MAIN_IFACE, 'GetUserByPID', 'u', 'o', user_by_pid)
    mock.AddMethod(MAIN_IFACE, 'Inhibit', 'ssss', 'h', inhibit)
    mock.AddMethod(MAIN_IFACE, 'ListInhibitors', '', 'a(ssssuu)', lambda self: self.inhibitors)


def session_by_pid(mock, _pid):
    if not mock.session_for_pid:
        raise dbus.exceptions.DBusException('process is not in a session',
                                            name='org.freedesktop.login1.NoSessionForPID')
    return dbus.ObjectPath(mock.session_for_pid)


def user_by_pid(mock, _pid):
    if not mock.session_for_pid:
        raise dbus.exceptions.DBusException('process has no user', name='org.freedesktop.login1.NoUserForPID')
    session = mockobject.objects[mock.session_for_pid]
    return session.Get('org.freedesktop.login1.Session', 'User')[1]


def kinds(mock, mode):
    return ':'.join(sorted({i[0] for i in mock.inhibitors if i[3] == mode}))


def publish(mock):
    for mode, name in (('block', 'BlockInhibited'), ('delay', 'DelayInhibited')):
        mock.props[MAIN_IFACE][name] = dbus.String(kinds(mock, mode))


def inhibit(mock, what, who, why, mode):
    if str(mode) not in ('block', 'delay', 'block-weak'):
        raise dbus.exceptions.DBusException(f'invalid mode {mode}', name='org.freedesktop.DBus.Error.InvalidArgs')
    read_end, write_end = os.pipe()
    inhibitor = (str(what), str(who), str(why), str(mode), dbus.UInt32(os.getuid()), dbus.UInt32(0))
    mock.inhibitors.append(inhibitor)
    publish(mock)

    def released(fd, _condition):
        os.close(fd)
        mock.inhibitors.remove(inhibitor)
        publish(mock)
        mock.EmitSignal(MOCK_IFACE, 'InhibitorReleased', 'ssss', list(inhibitor[:4]))
        return False

    GLib.unix_fd_add_full(GLib.PRIORITY_HIGH, read_end, GLib.IO_HUP | GLib.IO_ERR, released)
    GLib.idle_add(os.close, write_end)
    return write_end
