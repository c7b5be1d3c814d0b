'''UPower's battery reaches the engine: the statistics database, and AC power.'''

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from daemon import DaemonTestCase  # noqa: E402


class BatteryTest(DaemonTestCase):
    def test_the_battery_lands_in_the_statistics_database(self):
        self.start()
        # The engine writes a row at most every 30 s, the first one 30 s after its start, at a battery report.
        self.device.refresh_battery(every=5)
        rows = self.wait_for_file(self.root.statistics, 'a row in the statistics database', timeout=60)
        row = rows[0]
        # The mocked battery: 80 % of 10 Wh (11 Wh new), 3.85 V, 123 cycles, discharging at 1.9 W.
        self.assertAlmostEqual(row['CurrentCapacity'] / row['MaxCapacity'], 0.8, delta=0.01)
        self.assertAlmostEqual(row['DesignCapacity'] / row['MaxCapacity'], 1.1, delta=0.01)
        self.assertEqual(row['CycleCount'], 123)
        self.assertEqual(row['Voltage'], 3850)
        self.assertLess(row['InstantAmperage'], 0)
        self.assertAlmostEqual(row['UpdateTime'], time.time(), delta=300)

        self.device.set_battery(Percentage=79.0, Energy=7.9)
        self.daemon.wait_for_line('corvaned: battery 79% discharging')
        self.stop()

    def test_on_ac_power_the_radios_come_back_under_the_none_strategy(self):
        d = self.device
        self.start()
        d.lock()
        d.screen_off(True)
        self.wait_for_radios(wifi=False, bluetooth=False, data=False)
        d.set_battery(State=1)
        d.set_on_battery(False)
        self.wait_for_radios(wifi=True, bluetooth=True, data=True)
        self.stop()


if __name__ == '__main__':
    unittest.main()
