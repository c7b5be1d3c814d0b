'''The app changes the strategy; the running daemon follows.'''

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from daemon import FAST_CUSTOM, DaemonTestCase, choose_strategy  # noqa: E402

STRATEGY_NONE, STRATEGY_CUSTOM = 0, 5


class SettingsReloadTest(DaemonTestCase):
    SETTINGS = dict(FAST_CUSTOM, Strategy=STRATEGY_NONE)

    def test_a_strategy_chosen_in_the_app_is_the_one_the_next_lock_follows(self):
        d = self.device
        self.start()
        status, output = choose_strategy(d, self.root, STRATEGY_CUSTOM)
        self.assertEqual(status, 0, output)
        self.assertEqual(self.root.settings()['Strategy'], STRATEGY_CUSTOM)
        # Under None nothing would ever go off; under the Custom strategy chosen, everything does.
        d.lock()
        d.screen_off(True)
        self.wait_for_radios(timeout=20, wifi=False, bluetooth=False, data=False)
        self.stop()


if __name__ == '__main__':
    unittest.main()
