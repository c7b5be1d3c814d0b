#!/usr/bin/env bash
# The whole test suite: installs what is missing, checks the C++ style, builds with
# AddressSanitizer and UndefinedBehaviorSanitizer, runs every test, then
# builds the threaded tests with ThreadSanitizer and runs them, then runs
# each fuzz target for a bounded time.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$top/scripts/install-deps.sh"

# The C++ style (.clang-format) holds for every tracked source file.
(cd "$top" && { git ls-files -z '*.cpp' '*.h' 2>/dev/null ||
  find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print0; } |
  xargs -0 clang-format --dry-run --Werror)

cmake -S "$top" -B "$top/build/test" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCORVANE_SANITIZE=ON >/dev/null
cmake --build "$top/build/test" -j"$jobs"
ctest --test-dir "$top/build/test" --output-on-failure -j"$jobs"

cmake -S "$top" -B "$top/build/tsan" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCORVANE_TSAN=ON >/dev/null
cmake --build "$top/build/tsan" --target test_tsan test_tsan_graphs -j"$jobs"
ctest --test-dir "$top/build/tsan" -L tsan --output-on-failure -j"$jobs"

# The file readers under libFuzzer (clang), each for a bounded time from its
# seed corpus; any crash fails the run.
"$top/scripts/fuzz.sh" "${CORVANE_FUZZ_SECONDS:-15}"
