#!/usr/bin/env bash
# Seeds a Wine prefix, once, with sample start-up entries of every kind the
# program lists under Wine, so that its list looks like a user's:
#   seed_prefix.sh PREFIX SAMPLES_DIR
# SAMPLES_DIR holds the sample programs (tools/samples, built with the
# tests). The entries:
#   Run values       HKLM "Contoso Notes", HKCU "Fabrikam Sync", the 32-bit
#                    key's "Northwind Updater"
#   start-up files   "Tailspin Tray.exe" (all users), "Woodgrove Reminder.exe"
#                    (this user)
#   switched off     HKCU Run "Litware Backup", service "AdatumLicensing"
#   services         "AdatumAgent" (automatic), "AdatumLicensing" (manual)
#   hidden by the built-in lists: HKCU Run "PowerPanel" (name "Power..."),
#                    the start-up file "chrome.exe" (mask "chrome.exe*")
#   hidden only by the sample reply (tools/samples/reply.json): HKCU Run
#                    "Tailspin Helper"
# Wine's Task Scheduler cannot list its tasks, so no task is made.
set -euo pipefail
prefix=$1
samples=$(realpath "$2")
export WINEPREFIX=$prefix WINEDEBUG=-all
marker=$prefix/.quillon-samples
"$(dirname "$0")/drop-stale-prefix.sh" "$prefix"
[ -f "$marker" ] && exit 0
mkdir -p "$prefix"
wineboot </dev/null >/dev/null 2>&1

drive=$prefix/drive_c
put() {  # put SAMPLE PATH-IN-DRIVE-C
  mkdir -p "$(dirname "$drive/$2")"
  cp "$samples/$1.exe" "$drive/$2"
}
# The 64-bit view, whatever reg.exe runs: the 32-bit key is named by its
# Wow6432Node path below.
reg() { wine reg add "$@" /reg:64 /f </dev/null >/dev/null 2>&1; }
unix_path() { winepath -u "$(wine cmd /c "echo $1" </dev/null 2>/dev/null | tr -d '\r')" 2>/dev/null; }

put ContosoNotes "Program Files/Contoso/Notes/ContosoNotes.exe"
put FabrikamSync "Program Files/Fabrikam/FabrikamSync.exe"
put NorthwindUpdater "Program Files (x86)/Northwind/NorthwindUpdater.exe"
put TailspinTray "Program Files/Tailspin/TailspinTray.exe"
put LitwareBackup "Program Files/Litware/LitwareBackup.exe"
put AdatumAgent "Program Files/Adatum/AdatumAgent.exe"

run='Software\Microsoft\Windows\CurrentVersion\Run'
reg "HKLM\\$run" /v "Contoso Notes" /d '"C:\Program Files\Contoso\Notes\ContosoNotes.exe" /background'
reg "HKCU\\$run" /v "Fabrikam Sync" /d '"C:\Program Files\Fabrikam\FabrikamSync.exe" --tray'
reg "HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run" /v "Northwind Updater" \
  /d 'C:\Program Files (x86)\Northwind\NorthwindUpdater.exe'
reg "HKCU\\$run" /v "Litware Backup" /d '"C:\Program Files\Litware\LitwareBackup.exe" --quiet'
# Switched off the way the system's start-up manager does it.
reg "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run" /v "Litware Backup" \
  /t REG_BINARY /d 030000000000000000000000
reg "HKCU\\$run" /v "PowerPanel" /d '"C:\Program Files\Tailspin\TailspinTray.exe" --power'
reg "HKCU\\$run" /v "Tailspin Helper" /d '"C:\Program Files\Tailspin\TailspinTray.exe" --helper'

# The start-up folder as Wine spells it, whatever case a folder made
# earlier has: its own lookup of a path ignores case.
startup_folder() {
  local programs
  programs="$(unix_path "$1")/Microsoft/Windows/Start Menu/Programs"
  mkdir -p "$programs"
  local found
  found=$(find "$programs" -maxdepth 1 -type d -iname startup | head -1)
  echo "${found:-$programs/StartUp}"
}
common=$(startup_folder '%ProgramData%')
user=$(startup_folder '%APPDATA%')
mkdir -p "$common" "$user"
cp "$samples/TailspinTray.exe" "$common/Tailspin Tray.exe"
cp "$samples/WoodgroveReminder.exe" "$user/Woodgrove Reminder.exe"
cp "$samples/WoodgroveReminder.exe" "$user/chrome.exe"

sc() { wine sc "$@" </dev/null >/dev/null 2>&1; }
sc create AdatumAgent binPath= 'C:\Program Files\Adatum\AdatumAgent.exe' start= auto DisplayName= "Adatum Agent"
sc create AdatumLicensing binPath= 'C:\Program Files\Adatum\AdatumAgent.exe --licensing' start= demand \
  DisplayName= "Adatum Licensing"

wineserver -w
touch "$marker"
