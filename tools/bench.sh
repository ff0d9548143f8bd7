#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine in a prefix of their own:
#   collect_bench      the inventory against the bare enumeration of the same data
#   refresh_bench      the refresh's merge step from 1,000 to 16,000 entries
#   reply_bench        from the service's answer to a filled list, against the
#                      refresh alone (the endpoint stub answers on this build's port)
#   refresh_e2e_bench  F5 in the real frame against a bare enumeration, 1,000
#                      to 16,000 Run values with their own program files
#   start_bench        from the start to the first filled list, Quillon.exe (the
#                      64-bit build, and the 32-bit one when the x86 tree is
#                      built) against a minimal program that shows a filled list
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
[ ${#benches[@]} -eq 0 ] && benches=(collect_bench refresh_bench reply_bench refresh_e2e_bench start_bench)
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
  args=()
  if [ "$bench" = start_bench ]; then
    for program in build/x64/tools/bench/minimal_list.exe build/x64/Quillon.exe build/x86/Quillon.exe; do
      [ -f "$program" ] && args+=("$(winepath -w "$PWD/$program" 2>/dev/null)")
    done
  fi
  out=$(mktemp)
  wine "build/x64/tools/bench/$bench.exe" "${args[@]}" >"$out" 2>&1 </dev/null
  cat "$out"
  rm -f "$out"
done
