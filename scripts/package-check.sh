#!/usr/bin/env bash
# Builds the Debian package and checks it as a user would meet it: its contents,
# lintian, the AppStream metainfo, then the programs run from a fresh root the
# package was unpacked into (no build tree on their paths).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh" package

deb=$("$top/scripts/package.sh" | tail -n 1)
dpkg-deb --contents "$deb"
# Any lintian error or warning fails the check.
lintian --fail-on error,warning "$deb"
appstreamcli validate --no-net "$top/packaging/org.fernhill.ampwise.metainfo.xml"

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb --extract "$deb" "$root"
"$root/usr/bin/phonesim" --validate >/dev/null
"$root/usr/bin/phonesim" --root "$root/phone" "$root/usr/share/corvane/scenarios/weekend.json" >/dev/null
QT_QPA_PLATFORM=offscreen "$root/usr/bin/ampwise" --help >/dev/null
"$root/usr/bin/corvaned" --help >/dev/null
[ -s "$root/usr/lib/systemd/user/corvaned.service" ] || { echo "no user unit" >&2; exit 1; }
for page in ampwise corvaned phonesim corvane-notify; do
  [ -s "$root/usr/share/man/man1/$page.1.gz" ] || { echo "no manual page for $page" >&2; exit 1; }
done
echo "Package checked: $deb"
