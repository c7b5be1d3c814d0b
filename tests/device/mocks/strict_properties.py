'''Property writes checked as the real services check them

Loaded into a running mock with AddTemplate, after its objects exist.
Parameters: "objects": {object path: {interface: [writable property names]}}.

A write to any other property fails with PropertyReadOnly; a value of
another D-Bus type than the property's fails with InvalidArgs, and so does
an "ActiveProfile" that is not one of the object's "Profiles". An accepted
write emits PropertiesChanged and is logged like a method call, so
GetMethodCalls("Set") and the MethodCalled signal show every write
attempted. Functions in an object's `after_set` list run after each accepted
write. The mock method RefusePropertyWrites(path, names, error) makes writes
of those properties fail with that D-Bus error, as when polkit says no.
'''

import dbus

from dbusmock import MOCK_IFACE, mockobject

INVALID_ARGS = 'org.freedesktop.DBus.Error.InvalidArgs'
READ_ONLY = 'org.freedesktop.DBus.Error.PropertyReadOnly'

_SIGNATURES = [
    (dbus.Boolean, 'b'), (bool, 'b'), (dbus.Byte, 'y'), (dbus.Int16, 'n'), (dbus.UInt16, 'q'),
    (dbus.Int32, 'i'), (dbus.UInt32, 'u'), (dbus.Int64, 'x'), (dbus.UInt64, 't'), (dbus.Double, 'd'),
    (float, 'd'), (dbus.ObjectPath, 'o'), (dbus.String, 's'), (str, 's'), (dbus.Dictionary, 'a{'),
    (dict, 'a{'), (dbus.Array, 'a'), (list, 'a'), (dbus.Struct, '('), (tuple, '('), (int, 'int'),
]


def signature_of(value):
    for kind, signature in _SIGNATURES:
        if isinstance(value, kind):
            return signature
    return type(value).__name__


def same_type(current, value):
    current_signature, new_signature = signature_of(current), signature_of(value)
    if 'int' in (current_signature, new_signature):
        return {current_signature, new_signature} <= set('ynqiuxt') | {'int'}
    return current_signature == new_signature


def strict_set(obj, interface, name, value):
    if str(name) in obj.refused:
        raise dbus.exceptions.DBusException(f'not authorized to set {name}', name=obj.refused[str(name)])
    if name not in obj.writable.get(str(interface), ()):
        raise dbus.exceptions.DBusException(f'property {interface}.{name} is read-only', name=READ_ONLY)
    current = obj.props[interface][name]
    if not same_type(current, value):
        raise dbus.exceptions.DBusException(
            f'{interface}.{name} is {signature_of(current)}, not {signature_of(value)}', name=INVALID_ARGS)
    if name == 'ActiveProfile':
        profiles = [str(p['Profile']) for p in obj.props[interface].get('Profiles', [])]
        if str(value) not in profiles:
            raise dbus.exceptions.DBusException(f'no profile {value}', name=INVALID_ARGS)
    mockobject.DBusMockObject.Set(obj, interface, name, value)
    for after in obj.after_set:
        after(obj, str(interface), str(name), value)


def make_strict(obj, writable):
    '''Checks every property write to `obj`; `writable` maps interface to property names.'''
    obj.writable = {str(i): [str(n) for n in names] for i, names in writable.items()}
    if not hasattr(obj, 'after_set'):
        obj.after_set = []
    obj.refused = {}
    obj.AddMethod(dbus.PROPERTIES_IFACE, 'Set', 'ssv', '', strict_set)


def load(_mock, parameters):
    for path, writable in parameters.get('objects', {}).items():
        make_strict(mockobject.objects[str(path)], writable)


@dbus.service.method(MOCK_IFACE, in_signature='oass', out_signature='')
def RefusePropertyWrites(_self, path, names, error):
    '''Writes of `names` on the object `path` fail with the D-Bus error `error` (none: accepted again).'''
    obj = mockobject.objects[str(path)]
    obj.refused = {str(n): str(error) for n in names}
