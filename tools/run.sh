#!/usr/bin/env bash
# Builds Quillon as it ships - the 32-bit program with the release's flags,
# asking the endpoint stub on the loopback address - and runs it under
# Wine's WoW64, as 64-bit Windows runs it: on your display when there is
# one, otherwise on a virtual display, saving a screenshot whose path it
# prints. QUILLON_BUILD=x64 runs the 64-bit build instead.
#
# Its Wine prefix is seeded once with sample start-up entries
# (tools/seed_prefix.sh), and the endpoint stub answers the program's
# start-up request with QUILLON_REPLY (default tools/samples/reply.json,
# which hides one more sample entry). With tools/samples/reply_offer.json or
# reply_hold.json the update dialog shows.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh run
preset=${QUILLON_BUILD:-x86}
build=build/$preset
cmake --preset "$preset"
cmake --build --preset "$preset" --target Quillon quillon_samples
port=$(sed -n 's/^QUILLON_STUB_PORT:STRING=//p' "$build/CMakeCache.txt")
reply=${QUILLON_REPLY:-tools/samples/reply.json}
tools/endpoint_stub.sh start "$port" "$build/run-stub" "$reply"
trap 'tools/endpoint_stub.sh stop "$build/run-stub"' EXIT
if [ -n "${DISPLAY:-}" ]; then
  prefix="$PWD/$build/run-prefix"
  tools/seed_prefix.sh "$prefix" "$build/tools/samples"
  WINEPREFIX="$prefix" WINEDEBUG=-all wine "$build/Quillon.exe"
  exit 0
fi
lang=${LANG:-C.UTF-8}
# screenshot.sh runs in a prefix of its own per DPI and language.
tools/seed_prefix.sh "$PWD/$build/shot-prefix-96-${lang%%.*}" "$build/tools/samples"
tools/screenshot.sh "$build/Quillon.exe" shots/quillon.png 96 "$lang"
