#!/usr/bin/env bash
# The main job: installs what is missing, builds in Release every program
# the README names (phonesim, corvane-notify, the engine, ampwise and
# ampwise-graph) and runs the simulated phone through a workday once per
# strategy, side by side, and draws the day (build/release/workday.png).
# Extra arguments replace the default ones (see `phonesim --help`).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$top/build/release" -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF >/dev/null
cmake --build "$top/build/release" --target phonesim corvane-notify Corvane ampwise ampwise-graph -j"$(nproc)"
# The phone's files go to a fresh root, in memory when the machine has it:
# the engine flushes every file it writes to disk, as a phone must.
base=/dev/shm
[ -d "$base" ] && [ -w "$base" ] || base=${TMPDIR:-/tmp}
root=$(mktemp -d "$base/corvane-root.XXXXXX")
# By default: the workday once per strategy, and its plot (printed where).
if [ "$#" -eq 0 ]; then set -- --compare --plot "$top/build/release/workday.png" "$top/scenarios/workday.json"; fi
status=0
"$top/build/release/sim/phonesim" --root "$root" "$@" || status=$?
# The phone's files stay there: the app opens them.
echo
echo "Phone root: $root"
echo "Open the app on it: $top/build/release/app/qt/ampwise --root $root"
exit "$status"
