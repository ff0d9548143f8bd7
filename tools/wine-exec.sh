#!/bin/sh
# CTest's emulator: runs one Windows test program under Wine.
#
# Wine's helper processes (services, explorer) inherit the descriptors of the
# process that starts them and outlive it. Were they to inherit CTest's pipe,
# CTest would wait for them until the wineserver exits, so the program's
# output goes through a file and is copied out once it has ended.
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
out=$(mktemp)
wine "$@" >"$out" 2>&1
rc=$?
cat "$out"
# Under Wine a crash can end a program with code 0 (the debugger that Wine
# starts takes it over), so a test program passes only when GoogleTest
# itself said so.
if [ $rc -eq 0 ] && ! grep -q '^\[  PASSED  \]' "$out"; then
  echo "wine-exec.sh: the program ended without GoogleTest's verdict; counted as failed" >&2
  rc=1
fi
rm -f "$out"
exit $rc
