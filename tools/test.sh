#!/usr/bin/env bash
# Builds everything (the 32-bit release and the 64-bit build with its tests)
# and runs every test under Wine, on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh test
cmake --preset release
cmake --build --preset release
tools/check_release.sh
cmake --preset x64
cmake --build --preset x64
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset x64
