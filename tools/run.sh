#!/usr/bin/env bash
# Builds Quillon and runs it under Wine: on your display when there is one,
# otherwise on a virtual display, saving a screenshot whose path it prints.
# The 64-bit build runs here: the 32-bit release would need Wine's i386 part.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh run
cmake --preset x64
cmake --build --preset x64 --target Quillon
if [ -n "${DISPLAY:-}" ]; then
  export WINEPREFIX="$PWD/build/x64/run-prefix" WINEDEBUG=-all
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  exec wine build/x64/Quillon.exe
fi
# F5 fills the list, as a user would.
tools/screenshot.sh build/x64/Quillon.exe shots/quillon.png 96 "${LANG:-C.UTF-8}" F5
