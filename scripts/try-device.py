'''corvaned on a machine without phone hardware: the services of a phone mocked
on private D-Bus buses, a lock and an unlock, and what the radios did.
Run through scripts/try-device.sh.'''

import argparse
import os
import sys
import time

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(TOP, 'tests', 'device'))

from daemon import FAST_CUSTOM, PhoneRoot, corvaned_status, start_corvaned  # noqa: E402
from mockdevice import MODE_2G, MODE_3G, MODE_4G, MockDevice, Timeout  # noqa: E402

NAMES = {'wifi': 'WiFi', 'bluetooth': 'Bluetooth', 'data': 'cellular data', 'profile': 'low-power mode',
         'modes': 'speed'}


def speed(modes):
    allowed = modes[0]
    best = '4G' if allowed & MODE_4G else '3G' if allowed & MODE_3G else '2G' if allowed & MODE_2G else 'none'
    return f'up to {best}'


def describe(name, value):
    if name == 'profile':
        return f'{NAMES[name]} {"on" if value == "power-saver" else "off"}'
    if name == 'modes':
        return f'{NAMES[name]} {speed(value)}'
    return f'{NAMES[name]} {"on" if value else "off"}'


def changes(before, after):
    return [describe(k, after[k]) for k in after if after[k] != before.get(k)]


def wait_for_quiet(device, start, quiet=1.5, limit=20):
    '''Waits for the radios to change from `start`, then for them to stay as they are for `quiet` seconds;
    returns the radios and when they last changed (None when nothing changed).'''
    try:
        device.wait_until(lambda: device.radios() != start, limit, 'a radio to change')
    except Timeout:
        return start, None
    state, changed_at = device.radios(), time.monotonic()
    while True:
        try:
            device.wait_until(lambda: device.radios() != state, quiet, 'more changes')
            state, changed_at = device.radios(), time.monotonic()
        except Timeout:
            return state, changed_at


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument('--corvaned', required=True, help='the corvaned program')
    parser.add_argument('--delay', type=float, default=2.0, help='seconds between the lock and the radios off')
    parser.add_argument('--verbose', '-v', action='store_true', help='also print all that corvaned printed')
    options = parser.parse_args()
    os.environ['CORVANED'] = options.corvaned

    settings = dict(FAST_CUSTOM, Debug=options.verbose, RadioTimerDurationAtSleep=options.delay,
                    RadioTimerDurationAtWakeup=1.0)
    print('Starting the mocked phone (logind, UPower, NetworkManager, ModemManager, BlueZ,\n'
          'power-profiles-daemon, screen saver, notifications) on private D-Bus buses...', flush=True)
    device = MockDevice()
    root = PhoneRoot(settings)
    daemon = None
    try:
        status, _ = corvaned_status(device, root)
        print(status)
        print(f'Strategy: Custom; radios off {options.delay:g} s after the lock, back 1 s after the unlock.')
        print(f'Root: {root.path}\n')
        daemon = start_corvaned(device, root)
        daemon.wait_for_line('corvaned: session ', 30)
        state = device.radios()
        print(f'start  → {", ".join(describe(k, v) for k, v in state.items())}')

        for step, action in (('lock', lambda: (device.lock(), device.screen_off(True))),
                             ('unlock', lambda: (device.screen_off(False), device.unlock()))):
            began = time.monotonic()
            action()
            after, changed_at = wait_for_quiet(device, state)
            done = changes(state, after)
            print(f'{step:6} → {", ".join(done) if done else "nothing switched"}'
                  + (f'  ({changed_at - began:.1f} s after the {step})' if done else ''), flush=True)
            state = after

        exit_status = daemon.stop(30)
        print(f'stop   → corvaned ended with status {exit_status}; radios: '
              f'{", ".join(describe(k, v) for k, v in device.radios().items())}')
        if options.verbose:
            print('\ncorvaned printed:\n  ' + '\n  '.join(daemon.lines))
        return 0 if exit_status == 0 else 1
    except Timeout as failure:
        print(f'try-device: {failure}', file=sys.stderr)
        return 1
    finally:
        if daemon is not None:
            daemon.close()
        device.close()
        root.remove()


if __name__ == '__main__':
    sys.exit(main())
