#!/usr/bin/env bash
# Installs whatever of the build and test tools is missing (Debian 12).
set -eu
packages=(
  cmake make g++ git
  g++-mingw-w64-x86-64-posix
  wine64
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth imagemagick x11-utils xdotool
  iproute2 python3 python3-aiosmtpd prometheus
  clang libclang-rt-14-dev
  nsis fp-utils
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
