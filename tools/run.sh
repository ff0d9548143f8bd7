#!/usr/bin/env bash
# Builds Quillon and runs it under Wine: on your display when there is one,
# otherwise on a virtual display, saving a screenshot whose path it prints.
# The 64-bit build runs here: the 32-bit release would need Wine's i386 part.
#
# Its Wine prefix is seeded once with sample start-up entries
# (tools/seed_prefix.sh), and the endpoint stub answers the program's
# start-up request on the loopback address with QUILLON_REPLY (default
# tools/samples/reply.json, which hides one more sample entry). With
# tools/samples/reply_offer.json or reply_hold.json the update dialog shows.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh run
cmake --preset x64
cmake --build --preset x64 --target Quillon quillon_samples
port=$(sed -n 's/^QUILLON_STUB_PORT:STRING=//p' build/x64/CMakeCache.txt)
reply=${QUILLON_REPLY:-tools/samples/reply.json}
tools/endpoint_stub.sh start "$port" build/x64/run-stub "$reply"
trap 'tools/endpoint_stub.sh stop build/x64/run-stub' EXIT
if [ -n "${DISPLAY:-}" ]; then
  prefix="$PWD/build/x64/run-prefix"
  tools/seed_prefix.sh "$prefix" build/x64/tools/samples
  WINEPREFIX="$prefix" WINEDEBUG=-all wine build/x64/Quillon.exe
  exit 0
fi
lang=${LANG:-C.UTF-8}
# screenshot.sh runs in a prefix of its own per DPI and language.
tools/seed_prefix.sh "$PWD/build/x64/shot-prefix-96-${lang%%.*}" build/x64/tools/samples
tools/screenshot.sh build/x64/Quillon.exe shots/quillon.png 96 "$lang"
