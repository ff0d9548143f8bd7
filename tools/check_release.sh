#!/bin/sh
# Checks the release program: it imports no system function newer than
# Windows 7 (so it starts there), and it stays small. Prints its size.
#   check_release.sh [EXE]
set -eu
cd "$(dirname "$0")/.."
exe=${1:-build/release/Quillon.exe}
limit=614400  # 600 KB
python3 tools/check_imports.py "$exe"
size=$(stat -c %s "$exe")
echo "release program: $exe, $size bytes ($((size / 1024)) KB; limit $((limit / 1024)) KB)"
if [ "$size" -gt "$limit" ]; then
  echo "check_release.sh: the release program is larger than $((limit / 1024)) KB" >&2
  exit 1
fi
