#!/bin/sh
# Starts or stops the endpoint stub (tools/endpoint_stub.py) in the
# background, for CTest's fixture and the run command.
#   endpoint_stub.sh start PORT STATE_DIR [REPLY_FILE]
#   endpoint_stub.sh stop STATE_DIR
# The stub's descriptors are on /dev/null, so it holds no caller's pipe open.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
case "$1" in
  start)
    port=$2 dir=$3 reply=${4:-}
    mkdir -p "$dir"
    "$0" stop "$dir"
    rm -f "$dir/stub.ready"
    set -- --port "$port" --ready "$dir/stub.ready"
    [ -n "$reply" ] && set -- "$@" --reply "$reply"
    setsid python3 "$here/endpoint_stub.py" "$@" </dev/null >/dev/null 2>&1 &
    echo $! >"$dir/stub.pid"
    for _ in $(seq 100); do
      [ -f "$dir/stub.ready" ] && exit 0
      kill -0 "$(cat "$dir/stub.pid")" 2>/dev/null || break
      sleep 0.05
    done
    echo "endpoint_stub.sh: the stub did not start on port $port" >&2
    exit 1
    ;;
  stop)
    dir=$2
    if [ -f "$dir/stub.pid" ]; then
      kill "$(cat "$dir/stub.pid")" 2>/dev/null || true
      rm -f "$dir/stub.pid"
    fi
    ;;
  *)
    echo "usage: $0 start PORT STATE_DIR [REPLY_FILE] | stop STATE_DIR" >&2
    exit 2
    ;;
esac
