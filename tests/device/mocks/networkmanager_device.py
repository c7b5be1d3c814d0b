'''A phone's NetworkManager: an associated WiFi network and a modem's data connection

Loaded into a running networkmanager mock with AddTemplate. Adds the mock
methods AddAssociatedWiFi and AddModemDevice and makes the manager behave as
NetworkManager does where the template does not:

- WirelessEnabled and WwanEnabled are the only writable manager properties
  (typed as in strict_properties). WiFi switched off leaves its network
  (device unavailable, no active connection or access point); switched on, it
  joins the network it left.
- DeactivateConnection takes down only the devices of that connection;
  ActivateConnection with no device ("/") picks the device that offers the
  connection; unknown connections and inactive ones are refused.
- The modem's connection takes Update/UpdateUnsaved/Update2 of its settings;
  autoconnect switched on brings a disconnected modem back, as
  NetworkManager's autoconnect does.
'''

import os
import sys

import dbus

from dbusmock import MOCK_IFACE, mockobject
import dbusmock.templates.networkmanager as nm

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import strict_properties  # noqa: E402  pylint: disable=wrong-import-position

RefusePropertyWrites = strict_properties.RefusePropertyWrites

DEVICE_TYPE_WIFI = 2
DEVICE_TYPE_MODEM = 8
MODEM_IFACE = 'org.freedesktop.NetworkManager.Device.Modem'
ERROR = 'org.freedesktop.NetworkManager'


def load(mock, _parameters):
    manager = mockobject.objects[nm.MANAGER_OBJ]
    strict_properties.make_strict(manager, {nm.MANAGER_IFACE: ['WirelessEnabled', 'WwanEnabled', 'WimaxEnabled']})
    manager.after_set.append(lambda obj, _iface, name, value: name == 'WirelessEnabled' and follow_wifi(mock, bool(value)))
    manager.AddMethod(nm.MANAGER_IFACE, 'DeactivateConnection', 'o', '', lambda obj, path: deactivate(mock, path))
    manager.AddMethod(nm.MANAGER_IFACE, 'ActivateConnection', 'ooo', 'o',
                      lambda obj, conn, dev, specific: activate(mock, conn, dev, specific))


def devices_of_type(kind):
    manager = mockobject.objects[nm.MANAGER_OBJ]
    return [str(d) for d in manager.Get(nm.MANAGER_IFACE, 'Devices')
            if int(mockobject.objects[str(d)].Get(nm.DEVICE_IFACE, 'DeviceType')) == kind]


def active_of(device_path):
    return str(mockobject.objects[device_path].Get(nm.DEVICE_IFACE, 'ActiveConnection'))


def follow_wifi(mock, enabled):
    for path in devices_of_type(DEVICE_TYPE_WIFI):
        device = mockobject.objects[path]
        if not enabled:
            active = active_of(path)
            if active != '/':
                connection = mockobject.objects[active]
                device.joined = (str(connection.Get(nm.ACTIVE_CONNECTION_IFACE, 'Connection')),
                                 str(connection.Get(nm.ACTIVE_CONNECTION_IFACE, 'SpecificObject')))
                nm.RemoveActiveConnection(mock, path, active)
            device.Set(nm.WIRELESS_DEVICE_IFACE, 'ActiveAccessPoint', dbus.ObjectPath('/'))
            set_state(device, nm.DeviceState.UNAVAILABLE)
        elif getattr(device, 'joined', None) and active_of(path) == '/':
            connection, access_point = device.joined
            nm.activate_connection(mock, connection, path, access_point)
            device.Set(nm.WIRELESS_DEVICE_IFACE, 'ActiveAccessPoint', dbus.ObjectPath(access_point))
        elif active_of(path) == '/':
            set_state(device, nm.DeviceState.DISCONNECTED)


def set_state(device, state):
    old = device.Get(nm.DEVICE_IFACE, 'State')
    device.Set(nm.DEVICE_IFACE, 'State', dbus.UInt32(state))
    device.Set(nm.DEVICE_IFACE, 'StateReason', (dbus.UInt32(state), dbus.UInt32(0)))
    device.EmitSignal(nm.DEVICE_IFACE, 'StateChanged', 'uuu', [dbus.UInt32(state), old, dbus.UInt32(0)])


def deactivate(mock, active_path):
    manager = mockobject.objects[nm.MANAGER_OBJ]
    if active_path not in manager.Get(nm.MANAGER_IFACE, 'ActiveConnections'):
        raise dbus.exceptions.DBusException(f'{active_path} is not active', name=ERROR + '.ConnectionNotActive')
    devices = [str(d) for d in mockobject.objects[active_path].Get(nm.ACTIVE_CONNECTION_IFACE, 'Devices')]
    for device in devices:
        nm.RemoveActiveConnection(mock, device, active_path)


def activate(mock, connection, device, specific):
    settings = mockobject.objects[nm.SETTINGS_OBJ]
    if connection not in settings.Get(nm.SETTINGS_IFACE, 'Connections'):
        raise dbus.exceptions.DBusException(f'no connection {connection}', name=ERROR + '.UnknownConnection')
    offering = [d for d in devices_of_type(DEVICE_TYPE_WIFI) + devices_of_type(DEVICE_TYPE_MODEM)
                if connection in mockobject.objects[d].Get(nm.DEVICE_IFACE, 'AvailableConnections')]
    if device == '/':
        if not offering:
            raise dbus.exceptions.DBusException(f'no device for {connection}', name=ERROR + '.UnknownDevice')
        device = offering[0]
    elif device not in offering:
        raise dbus.exceptions.DBusException(f'{device} cannot use {connection}', name=ERROR + '.ConnectionNotAvailable')
    current = active_of(device)
    if current != '/':
        if str(mockobject.objects[current].Get(nm.ACTIVE_CONNECTION_IFACE, 'Connection')) == connection:
            return dbus.ObjectPath(current)
        nm.RemoveActiveConnection(mock, device, current)
    return nm.activate_connection(mock, connection, device, specific)


def update_modem_connection(mock, connection, new_settings):
    for name, values in new_settings.items():
        connection.settings.setdefault(name, {}).update(values)
    connection.EmitSignal(nm.CSETTINGS_IFACE, 'Updated', '', [])
    if not connection.settings.get('connection', {}).get('autoconnect', True):
        return
    for device in devices_of_type(DEVICE_TYPE_MODEM):
        offered = mockobject.objects[device].Get(nm.DEVICE_IFACE, 'AvailableConnections')
        if connection.connection_path in offered and active_of(device) == '/':
            nm.activate_connection(mock, connection.connection_path, device, '/')


@dbus.service.method(MOCK_IFACE, in_signature='ssy', out_signature='s')
def AddAssociatedWiFi(self, device_name, ssid, strength):
    '''Adds a WiFi device joined to the network `ssid` at `strength` percent; returns the device path.'''
    device = nm.AddWiFiDevice(self, device_name, 'wlan0', nm.DeviceState.DISCONNECTED)
    access_point = nm.AddAccessPoint(self, device, device_name + 'ap', ssid, '00:11:22:33:44:55',
                                     nm.InfrastructureMode.NM_802_11_MODE_INFRA, 2437, 54000, strength,
                                     nm.NM80211ApSecurityFlags.NM_802_11_AP_SEC_KEY_MGMT_PSK)
    connection = nm.AddWiFiConnection(self, device, device_name + 'conn', ssid, 'wpa-psk')
    mockobject.objects[device].AddProperty(nm.WIRELESS_DEVICE_IFACE, 'ActiveAccessPoint', dbus.ObjectPath(access_point))
    nm.activate_connection(self, connection, device, access_point)
    return device


@dbus.service.method(MOCK_IFACE, in_signature='ss', out_signature='s')
def AddModemDevice(self, device_name, modem_path):
    '''Adds the modem `modem_path` of ModemManager with an active mobile data connection; returns the device path.'''
    path = '/org/freedesktop/NetworkManager/Devices/' + device_name
    self.AddObject(path, MODEM_IFACE, {
        'ModemCapabilities': dbus.UInt32(12),
        'CurrentCapabilities': dbus.UInt32(12),
        'DeviceId': 'mock-modem',
        'OperatorCode': '00101',
        'Apn': 'internet',
    }, [])
    device = mockobject.objects[path]
    device.AddProperties(nm.DEVICE_IFACE, {
        'DeviceType': dbus.UInt32(DEVICE_TYPE_MODEM),
        'State': dbus.UInt32(nm.DeviceState.DISCONNECTED),
        'StateReason': (dbus.UInt32(nm.DeviceState.DISCONNECTED), dbus.UInt32(0)),
        'Interface': 'cdc-wdm0',
        'IpInterface': 'wwan0',
        'Udi': modem_path,
        'Driver': 'qmi_wwan',
        'Managed': True,
        'Autoconnect': True,
        'ActiveConnection': dbus.ObjectPath('/'),
        'AvailableConnections': dbus.Array([], signature='o'),
    })
    self.object_manager_emit_added(path)
    manager = mockobject.objects[nm.MANAGER_OBJ]
    devices = list(manager.Get(nm.MANAGER_IFACE, 'Devices')) + [dbus.ObjectPath(path)]
    manager.Set(nm.MANAGER_IFACE, 'Devices', dbus.Array(devices, signature='o'))
    manager.Set(nm.MANAGER_IFACE, 'WwanEnabled', True)
    manager.EmitSignal(nm.MANAGER_IFACE, 'DeviceAdded', 'o', [path])

    settings = mockobject.objects[nm.SETTINGS_OBJ]
    connection_path = nm.SettingsAddConnection(settings, {
        'connection': {'id': 'Mobile data', 'type': 'gsm'},
        'gsm': {'apn': 'internet'},
        'ipv4': {'method': 'auto'},
    })
    connection = mockobject.objects[connection_path]
    connection.settings['connection']['autoconnect'] = True
    connection.ConnectionUpdate = lambda conn, new_settings: update_modem_connection(self, conn, new_settings)
    connection.AddMethods(nm.CSETTINGS_IFACE, [
        ('UpdateUnsaved', 'a{sa{sv}}', '', 'self.ConnectionUpdate(self, args[0])'),
        ('Update2', 'a{sa{sv}}ua{sv}', 'a{sv}', 'self.ConnectionUpdate(self, args[0]); ret = {}'),
    ])
    device.Set(nm.DEVICE_IFACE, 'AvailableConnections', dbus.Array([connection_path], signature='o'))
    nm.activate_connection(self, connection_path, path, '/')
    return path
