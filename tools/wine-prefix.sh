#!/bin/sh
# Starts or stops the throwaway Wine prefix the tests run in.
#   wine-prefix.sh start   create the prefix if needed, keep a wineserver up
#   wine-prefix.sh stop    end the wineserver and every Wine process with it
# Everything Wine starts here has its descriptors on /dev/null, so no
# background process can hold a caller's pipe open.
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
case "$1" in
  start)
    "$(dirname "$0")/drop-stale-prefix.sh" "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineserver -p </dev/null >/dev/null 2>&1
    wineboot </dev/null >/dev/null 2>&1 || exit 1
    # One program run warms the prefix, so the first test does not pay for
    # Wine's start-up.
    wine cmd /c exit </dev/null >/dev/null 2>&1
    ;;
  stop)
    wineserver -k </dev/null >/dev/null 2>&1
    wineserver -w </dev/null >/dev/null 2>&1
    exit 0
    ;;
  *)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
