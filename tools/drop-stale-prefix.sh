#!/bin/sh
# Removes a Wine prefix that was made before Wine's 32-bit part was
# installed: it has no 32-bit system folder and no longer starts. The next
# use makes it anew.
#   drop-stale-prefix.sh PREFIX
if [ -d "$1/drive_c/windows" ] && [ ! -d "$1/drive_c/windows/syswow64" ]; then
  rm -rf "$1"
fi
