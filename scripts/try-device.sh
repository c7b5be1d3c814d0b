#!/usr/bin/env bash
# corvaned on this machine without phone hardware: the services of a phone
# (logind, UPower, NetworkManager, ModemManager, BlueZ, power-profiles-daemon,
# screen saver, notifications) mocked with python3-dbusmock on private D-Bus
# buses, then a lock and an unlock, and what the radios did. Nothing of the
# machine's own radios or buses is touched.
#   scripts/try-device.sh [--delay SECONDS] [--verbose]
# Uses build/release/device/corvaned, else build/dev/device/corvaned
# ($CORVANED names another).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

corvaned=${CORVANED:-}
if [ -z "$corvaned" ]; then
  for build in release dev; do
    if [ -x "$top/build/$build/device/corvaned" ]; then
      corvaned="$top/build/$build/device/corvaned"
      break
    fi
  done
fi
if [ -z "$corvaned" ]; then
  echo "try-device: no corvaned built; build it first, for example:" >&2
  echo "  cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release && cmake --build build/release --target corvaned -j" >&2
  exit 1
fi
# Debian's python3, which has the dbus and dbusmock modules (a python3 earlier
# on PATH may not).
if ! /usr/bin/python3 -c 'import dbus, dbusmock, gi' 2>/dev/null; then
  echo "try-device: /usr/bin/python3 lacks dbusmock; install python3-dbusmock (scripts/install-deps.sh)" >&2
  exit 1
fi
command -v dbus-daemon >/dev/null || { echo "try-device: dbus-daemon missing; install dbus-daemon" >&2; exit 1; }
echo "corvaned: $corvaned"
exec /usr/bin/python3 "$top/scripts/try-device.py" --corvaned "$corvaned" "$@"
