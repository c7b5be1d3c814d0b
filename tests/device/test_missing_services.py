'''Without ModemManager the daemon works with what it has, says so, and takes the modem when it comes.'''

import os
import sys
import unittest


sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from daemon import DaemonTestCase, corvaned_status  # noqa: E402
from mockdevice import ALL_SERVICES, MM, MM_PATH, MOCK_IFACE, MOCKS, NM_PATH  # noqa: E402

SERVICE_LINES = ('logind', 'UPower', 'NetworkManager', 'ModemManager', 'BlueZ', 'power-profiles-daemon',
                 'screen saver', 'notifications')


def service_lines(output):
    '''NAME -> "found" or "missing", from the services part of --status.'''
    found = {}
    for line in output.splitlines():
        name, _, rest = line.strip().partition(': ')
        if name in SERVICE_LINES and rest.split(' ')[0] in ('found', 'missing'):
            found[name] = rest.split(' ')[0]
    return found


class MissingServicesTest(DaemonTestCase):
    SERVICES = tuple(s for s in ALL_SERVICES if s != 'modemmanager')

    def test_without_modemmanager_it_switches_what_it_has_and_status_says_so(self):
        d = self.device
        output, status = corvaned_status(d, self.root)
        self.assertEqual(status, 0, output)
        expected = {name: 'found' for name in SERVICE_LINES}
        expected['ModemManager'] = 'missing'
        self.assertEqual(service_lines(output), expected, output)

        self.start()
        self.daemon.wait_for_line(f'corvaned: {MM} missing')
        d.lock()
        d.screen_off(True)
        self.wait_for_radios(wifi=False, bluetooth=False, profile='power-saver')
        d.screen_off(False)
        d.unlock()
        self.wait_for_radios(wifi=True, bluetooth=True, profile='balanced')

        # ModemManager starts: the daemon takes the modem, and --status finds it.
        d.start_mocks([(os.path.join(MOCKS, 'modemmanager.py'), MM, MM_PATH, True)])
        self.daemon.wait_for_line(f'corvaned: {MM} back')
        self.assertEqual(service_lines(corvaned_status(d, self.root)[0])['ModemManager'], 'found')
        self.stop()

    def test_a_refused_switch_leaves_that_radio_and_the_others_still_switch(self):
        d = self.device
        d.networkmanager.RefusePropertyWrites(NM_PATH, ['WirelessEnabled'],
                                              'org.freedesktop.NetworkManager.PermissionDenied',
                                              dbus_interface=MOCK_IFACE)
        self.start()
        d.lock()
        d.screen_off(True)
        self.wait_for_radios(bluetooth=False, profile='power-saver')
        self.daemon.wait_for_line('corvaned: call failed: org.freedesktop.NetworkManager ')
        self.assertTrue(d.wifi_enabled())
        d.screen_off(False)
        d.unlock()
        self.wait_for_radios(bluetooth=True, profile='balanced')
        self.stop()


if __name__ == '__main__':
    unittest.main()
