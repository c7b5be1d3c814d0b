#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsqlite3-dev libplist-dev libplist++-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  python3
  qt6-base-dev qt6-svg-dev libgl-dev fonts-dejavu-core xdg-utils
  libsystemd-dev dbus dbus-daemon python3-dbusmock
  clang-format git
  python3-matplotlib
)

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
