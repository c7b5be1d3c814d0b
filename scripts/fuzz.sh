#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each for a
# bounded time (default 30 seconds) from its seed corpus in tests/fuzz/corpus
# (installing clang first when it is missing).
# Fails on the first crash, leak, time-out or memory blow-up; the input that
# caused it is kept in build/fuzz/artifacts.
#   scripts/fuzz.sh [seconds-per-target]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-30}
if ! command -v clang++ >/dev/null || ! dpkg-query -W -f='${Status}' libclang-rt-14-dev 2>/dev/null | grep -q "ok installed"; then
  if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends clang libclang-rt-14-dev >/dev/null
fi
build="$top/build/fuzz"
targets=(PropertyListFuzzer BatteryRowFuzzer SettingsReloadFuzzer ScenarioFuzzer)

cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE= -DCMAKE_C_FLAGS="-O1 -gline-tables-only" \
  -DCMAKE_CXX_FLAGS="-O1 -gline-tables-only" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCORVANE_FUZZ=ON -DCORVANE_TESTS=OFF >/dev/null
cmake --build "$build" --target "${targets[@]}" -j"$(nproc)"

mkdir -p "$build/artifacts"
for target in "${targets[@]}"; do
  # New inputs go to a scratch corpus; the seeds in the tree stay as they are.
  work="$build/corpus/$target"
  mkdir -p "$work"
  # The engine targets keep one phone across inputs (its log grows): the
  # leak check after each input would only find that, slowly.
  leaks=1
  case $target in BatteryRowFuzzer | SettingsReloadFuzzer) leaks=0 ;; esac
  echo "== $target: $seconds s"
  log="$build/$target.log"
  if ! "$build/tests/fuzz/$target" "$work" "$top/tests/fuzz/corpus/$target" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 -detect_leaks=$leaks \
    -artifact_prefix="$build/artifacts/$target-" -print_final_stats=1 >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz: $target failed; the input is in $build/artifacts" >&2
    exit 1
  fi
  grep -E "^Done|number_of_executed_units" "$log" || true
done
echo "fuzz: every target ran $seconds s without a failure"
