'''ModemManager mock template

The manager object /org/freedesktop/ModemManager1 (an object manager) and,
unless the parameter "Modem" is false, one modem /org/freedesktop/ModemManager1/Modem/0
with the Modem, Modem3gpp and (unless "Voice" is false) Voice interfaces.

Parameters: "Modem" (bool), "Voice" (bool), "SupportedModes" (list of
[allowed, preferred]), "CurrentModes" ([allowed, preferred]), "SignalQuality" (0-100).

Mode bits: 2G 2, 3G 4, 4G 8. SetCurrentModes accepts only a combination
listed in SupportedModes, as the real service does, and the access
technology follows the best mode allowed. Calls are added with the mock
methods AddCall and SetCallState; SetSignalQuality changes the signal.
'''

import dbus

from dbusmock import MOCK_IFACE, mockobject

BUS_NAME = 'org.freedesktop.ModemManager1'
MAIN_OBJ = '/org/freedesktop/ModemManager1'
MAIN_IFACE = 'org.freedesktop.ModemManager1'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

MODEM_IFACE = 'org.freedesktop.ModemManager1.Modem'
MODEM_3GPP_IFACE = 'org.freedesktop.ModemManager1.Modem.Modem3gpp'
VOICE_IFACE = 'org.freedesktop.ModemManager1.Modem.Voice'
CALL_IFACE = 'org.freedesktop.ModemManager1.Call'
ERROR_UNSUPPORTED = 'org.freedesktop.ModemManager1.Error.Core.Unsupported'
ERROR_INVALID_ARGS = 'org.freedesktop.ModemManager1.Error.Core.InvalidArgs'

MODE_2G = 2
MODE_3G = 4
MODE_4G = 8
MODE_NONE = 0

# MMModemAccessTechnology bits of the best technology each mode allows.
ACCESS_GSM = 2
ACCESS_EDGE = 16
ACCESS_UMTS = 32
ACCESS_HSPA = 256
ACCESS_LTE = 16384

# MMModemState, MMCallState, MMCallDirection.
MODEM_STATE_REGISTERED = 8
MODEM_STATE_CONNECTED = 11
CALL_STATE_ACTIVE = 4
CALL_STATE_TERMINATED = 7
CALL_DIRECTION_INCOMING = 1

DEFAULT_SUPPORTED_MODES = [
    (MODE_2G, MODE_NONE),
    (MODE_3G, MODE_NONE),
    (MODE_4G, MODE_NONE),
    (MODE_2G | MODE_3G, MODE_3G),
    (MODE_3G | MODE_4G, MODE_4G),
    (MODE_2G | MODE_3G | MODE_4G, MODE_4G),
]


def modes_struct(allowed, preferred):
    return dbus.Struct((dbus.UInt32(allowed), dbus.UInt32(preferred)), signature='uu')


def access_for(allowed):
    if allowed & MODE_4G:
        return ACCESS_LTE
    if allowed & MODE_3G:
        return ACCESS_UMTS
    if allowed & MODE_2G:
        return ACCESS_EDGE
    return 0


def update(obj, interface, properties):
    '''Changes properties and says so (dbusmock's UpdateProperties cannot carry structures).'''
    for name, value in properties.items():
        obj.props[interface][name] = value
    obj.EmitSignal(dbus.PROPERTIES_IFACE, 'PropertiesChanged', 'sa{sv}as',
                   [interface, dbus.Dictionary(properties, signature='sv'), dbus.Array([], signature='s')])


def load(mock, parameters):
    mock.AddMethods(MAIN_IFACE, [
        ('ScanDevices', '', '', ''),
        ('SetLogging', 's', '', ''),
        ('ReportKernelEvent', 'a{sv}', '', ''),
    ])
    mock.AddProperties(MAIN_IFACE, dbus.Dictionary({'Version': '1.20.4'}, signature='sv'))
    mock.next_call = 0
    if parameters.get('Modem', True):
        add_modem(mock, '0', parameters)


def add_modem(mock, name, parameters):
    path = f'{MAIN_OBJ}/Modem/{name}'
    supported = parameters.get('SupportedModes', DEFAULT_SUPPORTED_MODES)
    current = parameters.get('CurrentModes', supported[-1])
    quality = int(parameters.get('SignalQuality', 75))
    mock.AddObject(path, MODEM_IFACE, {
        'Manufacturer': 'dbusmock',
        'Model': 'Mock modem',
        'Revision': '1.0',
        'EquipmentIdentifier': '350000000000000',
        'DeviceIdentifier': 'mock-modem-' + name,
        'Device': '/sys/devices/mock/modem' + name,
        'Drivers': dbus.Array(['qmi_wwan'], signature='s'),
        'Plugin': 'generic',
        'PrimaryPort': 'cdc-wdm' + name,
        'Ports': dbus.Array([('cdc-wdm' + name, dbus.UInt32(6)), ('wwan' + name, dbus.UInt32(2))], signature='(su)'),
        'Sim': dbus.ObjectPath(f'{MAIN_OBJ}/SIM/{name}'),
        'Bearers': dbus.Array([], signature='o'),
        'SupportedCapabilities': dbus.Array([dbus.UInt32(12)], signature='u'),
        'CurrentCapabilities': dbus.UInt32(12),
        'State': dbus.Int32(MODEM_STATE_REGISTERED),
        'StateFailedReason': dbus.UInt32(0),
        'PowerState': dbus.UInt32(3),
        'UnlockRequired': dbus.UInt32(1),
        'AccessTechnologies': dbus.UInt32(access_for(int(current[0]))),
        'SignalQuality': dbus.Struct((dbus.UInt32(quality), dbus.Boolean(True)), signature='ub'),
        'OwnNumbers': dbus.Array([], signature='s'),
        'SupportedModes': dbus.Array([modes_struct(a, p) for a, p in supported], signature='(uu)'),
        'CurrentModes': modes_struct(*current),
        'SupportedBands': dbus.Array([], signature='u'),
        'CurrentBands': dbus.Array([], signature='u'),
        'SupportedIpFamilies': dbus.UInt32(7),
    }, [
        ('Enable', 'b', '', ''),
        ('ListBearers', '', 'ao', f'ret = self.Get("{MODEM_IFACE}", "Bearers")'),
        ('Reset', '', '', ''),
        ('SetPowerState', 'u', '', ''),
        ('SetCurrentModes', '(uu)', '', set_current_modes),
    ])
    modem = mockobject.objects[path]
    modem.AddProperties(MODEM_3GPP_IFACE, dbus.Dictionary({
        'Imei': '350000000000000',
        'RegistrationState': dbus.UInt32(1),
        'OperatorCode': '00101',
        'OperatorName': 'Mock Mobile',
        'EnabledFacilityLocks': dbus.UInt32(0),
    }, signature='sv'))
    modem.AddMethods(MODEM_3GPP_IFACE, [('Register', 's', '', ''), ('Scan', '', 'aa{sv}', 'ret = []')])
    if parameters.get('Voice', True):
        modem.AddProperties(VOICE_IFACE, dbus.Dictionary({
            'Calls': dbus.Array([], signature='o'),
            'EmergencyOnly': False,
        }, signature='sv'))
        modem.AddMethods(VOICE_IFACE, [
            ('ListCalls', '', 'ao', f'ret = self.Get("{VOICE_IFACE}", "Calls")'),
            ('HangupAll', '', '', ''),
        ])
    mock.object_manager_emit_added(path)
    return path


def set_current_modes(modem, modes):
    allowed, preferred = int(modes[0]), int(modes[1])
    supported = [(int(a), int(p)) for a, p in modem.Get(MODEM_IFACE, 'SupportedModes')]
    if preferred & ~allowed:
        raise dbus.exceptions.DBusException(f'preferred mode {preferred} is not allowed in {allowed}',
                                            name=ERROR_INVALID_ARGS)
    if (allowed, preferred) not in supported:
        raise dbus.exceptions.DBusException(f'modes ({allowed}, {preferred}) are not supported',
                                            name=ERROR_UNSUPPORTED)
    update(modem, MODEM_IFACE, {
        'CurrentModes': modes_struct(allowed, preferred),
        'AccessTechnologies': dbus.UInt32(access_for(allowed)),
    })


@dbus.service.method(MOCK_IFACE, in_signature='a{sv}', out_signature='s')
def AddModem(self, parameters):
    '''Adds a modem (Modem, Modem3gpp and Voice interfaces); returns its path.'''
    name = str(len([k for k in mockobject.objects if k.startswith(MAIN_OBJ + '/Modem/')]))
    return add_modem(self, name, parameters)


@dbus.service.method(MOCK_IFACE, in_signature='ou', out_signature='')
def SetSignalQuality(_self, modem_path, quality):
    '''Changes a modem's signal quality (percent, recent).'''
    update(mockobject.objects[modem_path], MODEM_IFACE, {
        'SignalQuality': dbus.Struct((dbus.UInt32(quality), dbus.Boolean(True)), signature='ub')})


@dbus.service.method(MOCK_IFACE, in_signature='osii', out_signature='s')
def AddCall(self, modem_path, number, direction, state):
    '''Adds a call on a modem with its direction and MMCallState; returns its path.'''
    path = f'{MAIN_OBJ}/Call/{self.next_call}'
    self.next_call += 1
    self.AddObject(path, CALL_IFACE, {
        'State': dbus.Int32(state),
        'StateReason': dbus.Int32(0),
        'Direction': dbus.Int32(direction),
        'Number': number,
        'Multiparty': False,
        'AudioPort': '',
    }, [
        ('Start', '', '', ''),
        ('Accept', '', '', f'self.SetCallState("{path}", {CALL_STATE_ACTIVE})'),
        ('Hangup', '', '', f'self.SetCallState("{path}", {CALL_STATE_TERMINATED})'),
        ('SendDtmf', 's', '', ''),
    ])
    self.object_manager_emit_added(path)
    modem = mockobject.objects[modem_path]
    calls = list(modem.Get(VOICE_IFACE, 'Calls')) + [dbus.ObjectPath(path)]
    update(modem, VOICE_IFACE, {'Calls': dbus.Array(calls, signature='o')})
    modem.EmitSignal(VOICE_IFACE, 'CallAdded', 'o', [dbus.ObjectPath(path)])
    return path


@dbus.service.method(MOCK_IFACE, in_signature='oi', out_signature='')
def SetCallState(_self, call_path, state):
    '''Moves a call to another MMCallState; a terminated call leaves its modem's list.'''
    call = mockobject.objects[call_path]
    old = int(call.Get(CALL_IFACE, 'State'))
    update(call, CALL_IFACE, {'State': dbus.Int32(state)})
    call.EmitSignal(CALL_IFACE, 'StateChanged', 'iiu', [dbus.Int32(old), dbus.Int32(state), dbus.UInt32(0)])
    if state != CALL_STATE_TERMINATED:
        return
    for path, obj in list(mockobject.objects.items()):
        if VOICE_IFACE in obj.props and call_path in obj.props[VOICE_IFACE]['Calls']:
            calls = [c for c in obj.props[VOICE_IFACE]['Calls'] if c != call_path]
            update(obj, VOICE_IFACE, {'Calls': dbus.Array(calls, signature='o')})
            obj.EmitSignal(VOICE_IFACE, 'CallDeleted', 'o', [dbus.ObjectPath(call_path)])
