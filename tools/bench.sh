#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine in a prefix of their own:
#   collect_bench  the inventory against the bare enumeration of the same data
#   refresh_bench  the refresh's merge step from 1,000 to 16,000 entries
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh test
cmake --preset x64 >/dev/null
cmake --build --preset x64 --target collect_bench refresh_bench
export WINEPREFIX="$PWD/build/x64/bench-prefix" WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
wineboot </dev/null >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
for bench in collect_bench refresh_bench; do
  echo "== $bench"
  out=$(mktemp)
  wine "build/x64/tools/bench/$bench.exe" >"$out" 2>&1 </dev/null
  cat "$out"
  rm -f "$out"
done
