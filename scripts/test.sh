#!/usr/bin/env bash
# The whole test suite: installs what is missing, checks the C++ style, builds
# the test programs with AddressSanitizer and UndefinedBehaviorSanitizer, runs
# every test (the fuzz targets replay their seed corpora among them), then
# builds the threaded tests with ThreadSanitizer and runs them, then builds
# and checks the Debian package. CORVANE_FUZZ_SECONDS=N also fuzzes each
# file reader N seconds (scripts/fuzz.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
# Each phase prints its wall seconds and the processor seconds (user and
# system) of the programs it ran, as the shell's `times` counts them; `times`
# runs in this shell, since a command substitution would count its own.
times_file=$(mktemp)
trap 'rm -f "$times_file"' EXIT
children_cpu() {
  awk 'NR == 2 { split($1, u, /[ms]/); split($2, s, /[ms]/); printf "%d", u[1] * 60 + u[2] + s[1] * 60 + s[2] }' "$times_file"
}
times >"$times_file"
started=$SECONDS
started_cpu=$(children_cpu)
phase() {
  times >"$times_file"
  local cpu
  cpu=$(children_cpu)
  echo "== $1: $((SECONDS - started)) s, $((cpu - started_cpu)) s of processor time"
  started=$SECONDS
  started_cpu=$cpu
}

# What the build needs first; what only the tests and the package check need
# installs meanwhile, beside the build (its download and unpacking take
# little processor time), and is waited for before the tests.
"$top/scripts/install-deps.sh" build
phase install
install_log=$(mktemp)
installing=
# A run that stops early still lets the install finish: dpkg is never left
# half done.
trap 'if [ -n "$installing" ]; then wait "$installing" 2>/dev/null || true; fi; rm -f "$times_file" "$install_log"' EXIT
if [ "$(id -u)" -eq 0 ]; then
  "$top/scripts/install-deps.sh" run package >"$install_log" 2>&1 &
  installing=$!
else
  # sudo may ask for a password: not from the background.
  "$top/scripts/install-deps.sh" run package
fi

# The C++ style (.clang-format) holds for every tracked source file.
(cd "$top" && { git ls-files -z '*.cpp' '*.h' 2>/dev/null ||
  find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0; } |
  xargs -0 -P"$jobs" -n 20 clang-format --dry-run --Werror)
phase style

# Only the programs the tests run (not the app and its image tool). The
# builds of this script are unity builds: each target compiles a few large
# files instead of many small ones that parse the same headers and generate
# the same template code again, which more than halves their time.
unity=-DCMAKE_UNITY_BUILD=ON
cmake -S "$top" -B "$top/build/test" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCORVANE_SANITIZE=ON $unity >/dev/null
cmake --build "$top/build/test" --target test_programs -j"$jobs"
phase "ASan build"
if [ -n "$installing" ]; then
  status=0
  wait "$installing" || status=$?
  installing=
  if [ "$status" -ne 0 ]; then
    cat "$install_log" >&2
    exit 1
  fi
fi
phase "rest of the install (the part the build did not hide)"
# The tests' temporary roots are in /dev/shm where the machine has it
# (tests/support/TemporaryRoot.h). Twice as many at once as processors: the
# device tests spend most of their time waiting on their mock services.
ctest --test-dir "$top/build/test" --output-on-failure -j"$((jobs * 2))"
phase tests

cmake -S "$top" -B "$top/build/tsan" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCORVANE_TSAN=ON $unity >/dev/null
cmake --build "$top/build/tsan" --target test_tsan test_tsan_graphs -j"$jobs"
phase "TSan build"
ctest --test-dir "$top/build/tsan" -L tsan --output-on-failure -j"$jobs"
phase "TSan tests"

# The fuzz targets' seed corpora ran with the tests above (fuzz_corpus_*).
# Fuzzing itself (clang, libFuzzer) only when asked: CORVANE_FUZZ_SECONDS=N
# runs each target N seconds from its corpus; any crash fails the run.
if [ "${CORVANE_FUZZ_SECONDS:-0}" -gt 0 ]; then
  "$top/scripts/fuzz.sh" "$CORVANE_FUZZ_SECONDS"
  phase fuzz
fi

# The Debian package, built and checked as a user installs it (at -O1 and as a
# unity build: this checks the packaging, not the code's speed).
CORVANE_PACKAGE_OPTIMIZE=-O1 CORVANE_PACKAGE_UNITY=ON "$top/scripts/package-check.sh"
phase package
