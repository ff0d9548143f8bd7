#!/usr/bin/env bash
# Installs what building, testing and running Quillon need on Debian 12.
#   install-deps.sh test   compilers, Wine with its 32-bit part, Xvfb, test
#                          and JSON packages
#   install-deps.sh run    the same, plus fonts for Korean and other CJK text
#   install-deps.sh tidy   the same as test, plus clang-tidy (tools/tidy.sh)
# Does nothing when everything is there already. Needs root.
set -euo pipefail

packages=(
  cmake ninja-build
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64 wine32:i386
  xvfb xauth x11-utils imagemagick
  googletest nlohmann-json3-dev
  python3
)
case "${1:-test}" in
  run) packages+=(fonts-noto-cjk xdotool) ;;
  tidy) packages+=(clang-tidy) ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps.sh: these packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
# The shipped program is 32-bit: Wine runs it with its i386 part, beside
# the 64-bit one, as 64-bit Windows runs it.
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
