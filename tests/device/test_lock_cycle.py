'''Lock and unlock on a phone's services: the radios go off after the strategy's delay and come back.'''

import os
import sys
import time
import unittest

import dbus

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from daemon import FAST_CUSTOM, DaemonTestCase  # noqa: E402
from mockdevice import MM_MODEM, MOCK_IFACE, MODE_2G, MODE_3G, MODE_4G  # noqa: E402

ALL_MODES = (MODE_2G | MODE_3G | MODE_4G, MODE_4G)
UP_TO_3G = (MODE_2G | MODE_3G, MODE_3G)
ONLY_2G = (MODE_2G, 0)
CALL_INCOMING, CALL_ACTIVE, CALL_TERMINATED = 1, 4, 7


def modes_requested(device):
    return [tuple(int(x) for x in args[0]) for args in device.calls(device.modem, 'SetCurrentModes')]


class LockCycleTest(DaemonTestCase):
    def lock(self):
        self.device.lock()
        self.device.screen_off(True)

    def unlock(self):
        self.device.screen_off(False)
        self.device.unlock()

    def test_locked_the_radios_go_off_after_the_delay_and_unlocked_they_come_back(self):
        d = self.device
        self.start()
        locked_at = time.monotonic()
        self.lock()
        self.wait_for_radios(wifi=False, bluetooth=False, data=False, profile='power-saver')
        self.assertGreaterEqual(time.monotonic() - locked_at, FAST_CUSTOM['RadioTimerDurationAtSleep'])
        # Mobile data went down alone: the modem stays on for calls, its speed untouched.
        self.assertTrue(d.wwan_enabled())
        self.assertEqual(d.current_modes(), ALL_MODES)
        self.assertEqual(modes_requested(d), [])
        saved = self.root.saved_radios()
        self.assertEqual({k: saved.get(k) for k in ('wifi', 'bluetooth', 'cellular-data', 'low-power')},
                         {'wifi': True, 'bluetooth': True, 'cellular-data': True, 'low-power': False})

        self.unlock()
        self.wait_for_radios(wifi=True, bluetooth=True, data=True, profile='balanced', modes=ALL_MODES)
        self.assertTrue(d.wifi_joined())
        self.assertEqual(set(modes_requested(d)) - {ALL_MODES}, set())
        self.assertEqual(self.lines('call failed'), [])
        self.stop()

    def test_an_unlock_before_the_delay_switches_nothing(self):
        settings = dict(FAST_CUSTOM, RadioTimerDurationAtSleep=3.0)
        self.root.write_settings(settings)
        self.start()
        self.lock()
        self.daemon.wait_for_line('corvaned: lock')
        self.unlock()
        self.daemon.wait_for_line('corvaned: unlock')
        # A second lock proves the cycle still runs; the first one switched nothing.
        self.lock()
        self.wait_for_radios(wifi=False, bluetooth=False)
        self.assertEqual(len(self.lines('corvaned: switch wifi off')), 1)
        self.assertEqual([w for w in self.device.property_writes() if w[1] == 'WirelessEnabled'],
                         [('/org/freedesktop/NetworkManager', 'WirelessEnabled', False)])

    def test_during_a_call_mobile_data_is_left_up(self):
        d = self.device
        call = d.modemmanager.AddCall(d.modem_path, '+15550100', CALL_INCOMING, CALL_ACTIVE, dbus_interface=MOCK_IFACE)
        self.start()
        self.lock()
        # Bluetooth goes off after cellular data in the same pass: by then data was left up.
        self.wait_for_radios(wifi=False, bluetooth=False)
        self.assertTrue(d.mobile_data_active())
        self.assertEqual(d.calls(d.nm_manager, 'DeactivateConnection'), [])
        d.modemmanager.SetCallState(call, CALL_TERMINATED, dbus_interface=MOCK_IFACE)
        self.unlock()
        self.wait_for_radios(wifi=True, bluetooth=True, data=True)
        self.stop()

    def test_cellular_data_kept_at_sleep_runs_at_the_speed_the_rate_settings_allow(self):
        cases = [
            # (settings, modes while locked, modes after the unlock)
            ({'MaxRate': 2}, ONLY_2G, UP_TO_3G),
            ({'MinRate': 2}, UP_TO_3G, UP_TO_3G),
        ]
        for rates, asleep, awake in cases:
            with self.subTest(rates=rates):
                d = self.device
                self.root.write_settings(dict(FAST_CUSTOM, EdgeAtSleep=1, **rates))
                d.modem.SetCurrentModes(dbus.Struct(tuple(dbus.UInt32(m) for m in ALL_MODES)),
                                        dbus_interface=MM_MODEM)
                d.clear_calls()
                self.start()
                self.lock()
                self.wait_for_radios(wifi=False, bluetooth=False, modes=asleep)
                self.assertTrue(d.mobile_data_active())
                self.unlock()
                self.wait_for_radios(wifi=True, bluetooth=True, modes=awake)
                self.assertTrue(d.mobile_data_active())
                self.stop()


if __name__ == '__main__':
    unittest.main()
