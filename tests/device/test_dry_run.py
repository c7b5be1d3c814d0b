'''--dry-run says what it would switch and switches nothing.'''

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from daemon import DaemonTestCase  # noqa: E402


class DryRunTest(DaemonTestCase):
    ARGUMENTS = ('--dry-run',)

    def test_a_dry_run_changes_nothing(self):
        d = self.device
        before = d.radios()
        self.start()
        d.lock()
        d.screen_off(True)
        for switch in ('wifi off', 'bluetooth off', 'cellular-data off', 'low-power on'):
            self.daemon.wait_for_line(f'corvaned: would switch {switch}')
        d.screen_off(False)
        d.unlock()
        self.daemon.wait_for_line('corvaned: unlock')
        self.stop()
        self.assertEqual(d.radios(), before)
        self.assertTrue(d.wifi_joined())
        self.assertEqual(d.property_writes(), [])
        for method in ('DeactivateConnection', 'ActivateConnection'):
            self.assertEqual(d.calls(d.nm_manager, method), [], method)
        self.assertEqual(d.calls(d.modem, 'SetCurrentModes'), [])
        self.assertIsNone(self.root.saved_radios())
        self.assertEqual(self.lines('corvaned: switch '), [])


if __name__ == '__main__':
    unittest.main()
