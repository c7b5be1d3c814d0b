#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
#
#   install-deps.sh               what building and running everything needs
#   install-deps.sh GROUP...      only those groups:
#     build    compiling every program and test, and the style check
#     run      running the tests, the plots and the benchmarks
#     package  checking the Debian package (lintian, AppStream)
set -euo pipefail

build=(
  build-essential cmake pkg-config python3
  libsqlite3-dev libplist-dev libplist++-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev
  qt6-base-dev qt6-svg-dev libgl-dev
  libsystemd-dev
  clang-format git
)
run=(
  libbenchmark-dev
  fonts-dejavu-core xdg-utils
  dbus dbus-daemon python3-dbusmock
  python3-matplotlib
)
package=(lintian appstream)

if [ "$#" -eq 0 ]; then set -- build run; fi
packages=()
for group in "$@"; do
  case "$group" in
    build) packages+=("${build[@]}") ;;
    run) packages+=("${run[@]}") ;;
    package) packages+=("${package[@]}") ;;
    *) echo "install-deps.sh: no group \"$group\" (build, run, package)" >&2; exit 2 ;;
  esac
done

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then sudo=sudo; else sudo=; fi
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  # dpkg flushes every file it unpacks; CI=1 (a throw-away machine) skips
  # that, which takes minutes off a fresh install.
  unsafe=()
  if [ -n "${CI:-}" ]; then unsafe=(-o Dpkg::Options::=--force-unsafe-io); fi
  $sudo apt-get install -y -qq --no-install-recommends "${unsafe[@]}" "${missing[@]}"
fi
