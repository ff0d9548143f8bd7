#!/usr/bin/env bash
# Builds everything (the 32-bit release; the 64-bit build with every test;
# the 32-bit build as it ships with the tests that drive it) and runs every
# test under Wine, on a virtual display: the 64-bit tests, then the 32-bit
# program's under WoW64, each tree in a prefix of its own.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh test
cmake --preset release
cmake --build --preset release
tools/check_release.sh
cmake --preset x64
cmake --build --preset x64
cmake --preset x86
cmake --build --preset x86
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset x64
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --preset x86
