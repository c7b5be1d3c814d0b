'''The radios the daemon switched off come back when it stops, cleanly or not.'''

import os
import signal
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from daemon import DaemonTestCase, start_corvaned  # noqa: E402

ALL_ON = {'wifi': True, 'bluetooth': True, 'cellular-data': True, 'low-power': False}


class RecoveryTest(DaemonTestCase):
    def lock_until_the_radios_are_off(self):
        self.device.lock()
        self.device.screen_off(True)
        self.wait_for_radios(wifi=False, bluetooth=False, data=False, profile='power-saver')
        saved = self.root.saved_radios()
        self.assertEqual({k: saved.get(k) for k in ALL_ON}, ALL_ON)

    def test_a_killed_daemon_has_the_radios_back_after_its_next_start(self):
        d = self.device
        self.start()
        self.lock_until_the_radios_are_off()
        self.daemon.kill()
        self.assertEqual(d.radios()['wifi'], False)
        d.screen_off(False)
        d.unlock()
        again = start_corvaned(d, self.root)
        self.addCleanup(again.close)
        self.wait_for_radios(wifi=True, bluetooth=True, data=True, profile='balanced')
        again.wait_for_line('corvaned: restored radios from ')
        self.assertIsNone(self.root.saved_radios())
        self.assertEqual(again.stop(30), 0, again.output())

    def test_a_clean_stop_puts_the_radios_back(self):
        for stop_signal in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=stop_signal):
                d = self.device
                self.start()
                self.lock_until_the_radios_are_off()
                self.daemon.signal(stop_signal)
                self.assertEqual(self.daemon.wait_for_exit(30), 0, self.daemon.output())
                self.assertEqual(d.radios(), {'wifi': True, 'bluetooth': True, 'data': True,
                                              'modes': (14, 8), 'profile': 'balanced'})
                self.assertIsNone(self.root.saved_radios())
                d.screen_off(False)
                d.unlock()


if __name__ == '__main__':
    unittest.main()
