#!/usr/bin/env bash
# Starts a Quillon.exe under Wine on a private Xvfb display and saves a
# screenshot of its window.
#   screenshot.sh EXE OUT.png [DPI] [LANG] [KEYS]
# DPI (default 96) is set in the prefix as the desktop's LogPixels; LANG
# (default: the caller's) chooses the user's locale; KEYS (for example F5)
# are typed into the list before the screenshot. When the program shows more
# than its main window (the update dialog), the whole screen is taken.
set -euo pipefail
exe=$(realpath "$1")
out=$2
dpi=${3:-96}
lang=${4:-${LANG:-C.UTF-8}}
keys=${5:-}
mkdir -p "$(dirname "$out")"
out=$(realpath "$out")

export WINEPREFIX="$(dirname "$exe")/shot-prefix-$dpi-${lang%%.*}" WINEDEBUG=-all LANG="$lang" LC_ALL="$lang"
"$(dirname "$0")/drop-stale-prefix.sh" "$WINEPREFIX"
mkdir -p "$WINEPREFIX"

display=99
while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=":$display"
cleanup() { wineserver -k >/dev/null 2>&1 || true; kill "$xvfb" 2>/dev/null || true; }
trap cleanup EXIT
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

wineboot -i </dev/null >/dev/null 2>&1
for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
  wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f </dev/null >/dev/null 2>&1
done
# The DPI is read when Wine's session starts: begin a new one.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true

wine "$exe" </dev/null >/dev/null 2>&1 &
windows() { xwininfo -root -tree 2>/dev/null | awk '/"Quillon": \("quillon.exe"/ {print $1}'; }
window=""
for _ in $(seq 100); do
  window=$(windows | head -1)
  [ -n "$window" ] && break
  sleep 0.1
done
sleep 1.5  # let the first paint finish, and the reply come
if [ "$(windows | wc -l)" -gt 1 ]; then window=""; fi
if [ -n "$window" ] && [ -n "$keys" ]; then
  # Into the list: a click in its empty lower part gives it the focus.
  xdotool mousemove --window "$window" 200 300 click 1 key $keys
  sleep 3
fi
if [ -n "$window" ]; then
  import -window "$window" "$out"
else
  import -window root "$out"
fi
echo "$out"
