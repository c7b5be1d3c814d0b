#!/usr/bin/env bash
# The main job: installs what is missing, builds in Release and runs the
# simulated phone with the engine loaded.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$top/build/release" -DCMAKE_BUILD_TYPE=Release -DCORVANE_TESTS=OFF >/dev/null
cmake --build "$top/build/release" --target phonesim Corvane -j"$(nproc)"
root=$(mktemp -d "${TMPDIR:-/tmp}/corvane-root.XXXXXX")
exec "$top/build/release/sim/phonesim" --root "$root" "$@"
