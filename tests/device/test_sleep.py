'''System sleep on a phone's services: logind's delay inhibitor, the engine's answer and its wake.'''

import datetime
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from daemon import FAST_CUSTOM, DaemonTestCase  # noqa: E402

ENGINE_SCHEDULER = 'com.quibbit.Ampwise'
DELAY_LIMIT = 5.0  # logind's InhibitDelayMaxUSec on the mocked phone


def epoch_of(value):
    if isinstance(value, datetime.datetime):
        return value.replace(tzinfo=value.tzinfo or datetime.timezone.utc).timestamp()
    return float(value)


class SleepTest(DaemonTestCase):
    def delay_inhibitors(self):
        return [i for i in self.device.inhibitors() if i[0] == 'sleep' and i[1] == 'corvaned' and i[3] == 'delay']

    def go_to_sleep(self):
        '''Locks, waits for the radios to go off, then logind announces the sleep; returns when that was.'''
        d = self.device
        d.lock()
        d.screen_off(True)
        self.wait_for_radios(wifi=False, bluetooth=False)
        d.clear_calls()
        asked = time.monotonic()
        d.prepare_for_sleep(True)
        return asked

    def test_a_sleep_is_answered_within_the_delay_and_schedules_the_engines_wake(self):
        d = self.device
        self.start()
        d.wait_until(self.delay_inhibitors, 10, 'the delay inhibitor taken at start')
        asked = self.go_to_sleep()
        d.wait_until(lambda: [r for r in d.heard('InhibitorReleased') if r[3] == 'delay'], DELAY_LIMIT,
                     'the delay inhibitor to be released')
        self.assertLess(time.monotonic() - asked, DELAY_LIMIT)
        self.assertEqual([i for i in d.inhibitors() if i[3] == 'block'], [])

        wakes = self.wait_for_file(lambda: [e for e in self.root.scheduled_wakes()
                                            if e.get('scheduledby') == ENGINE_SCHEDULER], 'the engine\'s wake')
        self.assertEqual(len(wakes), 1)
        self.assertEqual(wakes[0]['eventtype'], 'wake')
        interval = FAST_CUSTOM['WakeInterval'] * 60
        self.assertAlmostEqual(epoch_of(wakes[0]['time']), time.time() + interval, delta=120)
        self.daemon.wait_for_line('corvaned: wake scheduled at ')

        # Back from sleep: a new delay inhibitor for the next one; the radios stay off (no interval elapsed).
        d.prepare_for_sleep(False)
        d.wait_until(self.delay_inhibitors, 10, 'a new delay inhibitor')
        self.assertEqual(d.radios()['wifi'], False)
        self.stop()
        self.assertEqual(d.inhibitors(), [])

    def sleep_until_the_wake_alarm(self):
        '''logind announces a sleep; the phone sleeps until the engine's wake alarm rings, then resumes.'''
        d = self.device
        released = len([r for r in d.heard('InhibitorReleased') if r[3] == 'delay'])
        alarms = len(self.lines('corvaned: wake alarm'))
        d.prepare_for_sleep(True)
        d.wait_until(lambda: len([r for r in d.heard('InhibitorReleased') if r[3] == 'delay']) > released,
                     DELAY_LIMIT, 'the delay inhibitor to be released')
        d.wait_until(lambda: len(self.lines('corvaned: wake alarm')) > alarms, 15, 'the wake alarm')
        d.prepare_for_sleep(False)
        self.daemon.wait_for_line('corvaned: resumed')

    def test_a_background_wake_keeps_the_radios_on_and_the_next_sleep_is_held_off(self):
        # A wake every 3 s. The alarm is set in whole seconds, so the first wake may come a little
        # before the interval has passed since the radios went off; the next one cannot.
        self.root.write_settings(dict(FAST_CUSTOM, WakeInterval=0.05))
        d = self.device
        self.start()
        d.lock()
        d.screen_off(True)
        self.wait_for_radios(wifi=False, bluetooth=False)
        for _ in range(2):
            self.sleep_until_the_wake_alarm()
            self.barrier()
            if self.lines('corvaned: switch wifi on'):
                break
        # The radios are on in the background although the phone stays locked.
        self.wait_for_radios(wifi=True, bluetooth=True)
        d.clear_calls()
        d.prepare_for_sleep(True)
        d.wait_until(lambda: [i for i in d.inhibitors() if i[1] == 'corvaned' and i[3] == 'block'], DELAY_LIMIT,
                     'a block inhibitor: the engine wants the radios on for a while')
        self.assertEqual(d.radios()['wifi'], True)
        self.stop()
        self.assertEqual(d.inhibitors(), [])


if __name__ == '__main__':
    unittest.main()
