'''The mocked phone answers as the real services do where corvaned relies on it.'''

import os
import sys
import unittest

import dbus

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from mockdevice import (BLUEZ_ADAPTER, LOGIN_MANAGER, MM_MODEM, MOCK_IFACE, MODE_2G, MODE_3G, MODE_4G, NM,  # noqa: E402
                        NM_ACTIVE, PROPERTIES, MockDevice)


class MockDeviceTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.device = MockDevice()

    @classmethod
    def tearDownClass(cls):
        cls.device.close()

    def test_a_phone_starts_with_every_radio_on(self):
        self.assertEqual(self.device.radios(), {'wifi': True, 'data': True, 'bluetooth': True,
                                                'modes': (MODE_2G | MODE_3G | MODE_4G, MODE_4G),
                                                'profile': 'balanced'})
        self.assertTrue(self.device.wifi_joined())

    def test_wifi_switched_off_leaves_its_network_and_joins_it_again(self):
        d = self.device
        d.clear_calls()
        d.nm_manager.Set(NM, 'WirelessEnabled', dbus.Boolean(False), dbus_interface=PROPERTIES)
        self.assertFalse(d.wifi_joined())
        self.assertTrue(d.mobile_data_active())
        d.nm_manager.Set(NM, 'WirelessEnabled', dbus.Boolean(True), dbus_interface=PROPERTIES)
        self.assertTrue(d.wifi_joined())
        self.assertEqual([w[2] for w in d.property_writes() if w[1] == 'WirelessEnabled'], [False, True])

    def test_property_writes_are_checked_as_the_services_check_them(self):
        d = self.device
        refused = [
            (d.nm_manager, NM, 'WirelessEnabled', dbus.Int32(0), 'InvalidArgs'),
            (d.nm_manager, NM, 'NetworkingEnabled', dbus.Boolean(False), 'PropertyReadOnly'),
            (d.adapter, BLUEZ_ADAPTER, 'Powered', dbus.String('off'), 'InvalidArgs'),
            (d.profiles, 'net.hadess.PowerProfiles', 'ActiveProfile', dbus.String('turbo'), 'InvalidArgs'),
        ]
        for mock, interface, name, value, error in refused:
            with self.assertRaises(dbus.exceptions.DBusException, msg=name) as caught:
                mock.Set(interface, name, value, dbus_interface=PROPERTIES)
            self.assertIn(error, caught.exception.get_dbus_name())
        self.assertEqual(d.radios()['bluetooth'], True)

    def test_mobile_data_goes_down_and_up_alone(self):
        d = self.device
        active = str(d.modem_device.Get('org.freedesktop.NetworkManager.Device', 'ActiveConnection',
                                        dbus_interface=PROPERTIES))
        connection = d.system.get_object(NM, active).Get(NM_ACTIVE, 'Connection', dbus_interface=PROPERTIES)
        d.nm_manager.DeactivateConnection(active, dbus_interface=NM)
        self.assertFalse(d.mobile_data_active())
        self.assertTrue(d.wifi_joined())
        with self.assertRaises(dbus.exceptions.DBusException):
            d.nm_manager.DeactivateConnection(active, dbus_interface=NM)
        d.nm_manager.ActivateConnection(connection, '/', '/', dbus_interface=NM)
        self.assertTrue(d.mobile_data_active())

    def test_the_modem_takes_only_the_modes_it_supports(self):
        d = self.device
        d.modem.SetCurrentModes(dbus.Struct((dbus.UInt32(MODE_2G), dbus.UInt32(0))), dbus_interface=MM_MODEM)
        self.assertEqual(d.current_modes(), (MODE_2G, 0))
        with self.assertRaises(dbus.exceptions.DBusException) as caught:
            d.modem.SetCurrentModes(dbus.Struct((dbus.UInt32(MODE_2G | MODE_4G), dbus.UInt32(MODE_4G))),
                                    dbus_interface=MM_MODEM)
        self.assertIn('Unsupported', caught.exception.get_dbus_name())
        self.assertEqual(d.current_modes(), (MODE_2G, 0))
        call = d.modemmanager.AddCall(d.modem_path, '+100', 1, 3, dbus_interface=MOCK_IFACE)
        self.assertEqual(d.modem.ListCalls(dbus_interface=MM_MODEM + '.Voice'), [call])
        d.modemmanager.SetCallState(call, 7, dbus_interface=MOCK_IFACE)
        self.assertEqual(d.modem.ListCalls(dbus_interface=MM_MODEM + '.Voice'), [])

    def test_a_released_inhibitor_is_announced(self):
        d = self.device
        d.clear_calls()
        descriptor = d.logind.Inhibit('sleep', 'test', 'checking', 'delay', dbus_interface=LOGIN_MANAGER)
        self.assertIn(('sleep', 'test', 'checking', 'delay'), d.inhibitors())
        os.close(descriptor.take())
        d.wait_until(lambda: d.heard('InhibitorReleased'), 5, 'the inhibitor to go')
        self.assertEqual(d.inhibitors(), [])
        with self.assertRaises(dbus.exceptions.DBusException):
            d.logind.GetSessionByPID(dbus.UInt32(os.getpid()), dbus_interface=LOGIN_MANAGER)

    def test_locking_is_heard_as_the_sessions_locked_hint(self):
        d = self.device
        d.clear_calls()
        d.lock()
        changed = d.wait_until(lambda: d.heard('PropertiesChanged', PROPERTIES), 5, 'LockedHint')
        self.assertEqual(bool(changed[0][1]['LockedHint']), True)


if __name__ == '__main__':
    unittest.main()
