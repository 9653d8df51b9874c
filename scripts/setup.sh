#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing:
#   scripts/setup.sh [--recommends] [more packages ...]
# --recommends also installs the packages' recommended packages.
set -euo pipefail

recommends="--no-install-recommends"
if [ "${1:-}" = "--recommends" ]; then
  recommends=""
  shift
fi
packages=(cmake ninja-build g++ make pkg-config libgtest-dev libgmock-dev googletest
          libbenchmark-dev openjdk-17-jdk-headless clang libclang-rt-14-dev zlib1g-dev rsyslog "$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update
  $sudo apt-get install -y $recommends "${missing[@]}"
fi
