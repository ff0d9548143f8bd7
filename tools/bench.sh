#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine in a prefix of their own:
#   collect_bench      the inventory against the bare enumeration of the same data
#   refresh_bench      the refresh's merge step from 1,000 to 16,000 entries
#   reply_bench        from the service's answer to a filled list, against the
#                      refresh alone (the endpoint stub answers on this build's port)
#   refresh_e2e_bench  F5 in the real frame against a bare enumeration, 1,000
#                      to 16,000 Run values with their own program files
# Name benchmarks to run only those: tools/bench.sh refresh_e2e_bench
set -euo pipefail
cd "$(dirname "$0")/.."
# Some open windows: without a display, a virtual one, on which the script
# runs again (without installing again).
if [ -z "${QUILLON_BENCH_DISPLAY:-}" ]; then
  tools/install-deps.sh test
  if [ -z "${DISPLAY:-}" ]; then QUILLON_BENCH_DISPLAY=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"; fi
fi
benches=("$@")
[ ${#benches[@]} -eq 0 ] && benches=(collect_bench refresh_bench reply_bench refresh_e2e_bench)
cmake --preset x64 >/dev/null
cmake --build --preset x64 --target "${benches[@]}"
port=$(sed -n 's/^QUILLON_STUB_PORT:STRING=//p' build/x64/CMakeCache.txt)
tools/endpoint_stub.sh start "$port" build/x64/bench-stub
export WINEPREFIX="$PWD/build/x64/bench-prefix" WINEDEBUG=-all
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1
wineboot </dev/null >/dev/null 2>&1
trap 'wineserver -k >/dev/null 2>&1 || true; tools/endpoint_stub.sh stop build/x64/bench-stub' EXIT
for bench in "${benches[@]}"; do
  echo "== $bench"
  out=$(mktemp)
  wine "build/x64/tools/bench/$bench.exe" >"$out" 2>&1 </dev/null
  cat "$out"
  rm -f "$out"
done
