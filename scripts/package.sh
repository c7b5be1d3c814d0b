#!/usr/bin/env bash
# Builds the Debian package (build/package/corvane_VERSION_ARCH.deb) from the
# tree: a Release build with Debian's hardening flags, the manual pages, then
# CPack. With --check, also lists its contents and runs lintian on it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build="$top/build/package"
"$top/scripts/install-deps.sh" build
# Debian's compiler and linker flags (hardening: fortify, stack protector, relro, now).
# CORVANE_PACKAGE_OPTIMIZE replaces "-O2 -g" (the test suite checks the
# packaging with a quicker "-O1"); CORVANE_PACKAGE_UNITY=ON makes it a unity
# build, quicker still.
optimize=${CORVANE_PACKAGE_OPTIMIZE:--O2 -g}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CFLAGS_MAINT_STRIP="-g -O2" DEB_CXXFLAGS_MAINT_STRIP="-g -O2"
CFLAGS=$(dpkg-buildflags --get CFLAGS) CXXFLAGS=$(dpkg-buildflags --get CXXFLAGS) \
  CPPFLAGS=$(dpkg-buildflags --get CPPFLAGS) LDFLAGS=$(dpkg-buildflags --get LDFLAGS) \
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr -DCORVANE_TESTS=OFF -DCORVANE_MANPAGES=ON \
  -DCMAKE_UNITY_BUILD="${CORVANE_PACKAGE_UNITY:-OFF}" \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$optimize -DNDEBUG $(dpkg-buildflags --get CPPFLAGS)" -DCMAKE_C_FLAGS_RELWITHDEBINFO="$optimize -DNDEBUG" >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/corvane_*.deb)
echo "$deb"
if [ "${1:-}" = "--check" ]; then
  "$top/scripts/install-deps.sh" package >/dev/null
  dpkg-deb --info "$deb"
  dpkg-deb --contents "$deb"
  lintian --info "$deb"
fi
