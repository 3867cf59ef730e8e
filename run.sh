#!/usr/bin/env bash
# Builds velmora.exe (and the files it ships beside it) and starts it under Wine. With no X display it starts a virtual one,
# runs the program inside Wine's desktop window (frames and a notification area), and saves
# a screenshot to build/screenshot.png a few seconds after start.
#   ./run.sh [--build-only] [program arguments...]
set -eu
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
. tools/deps.sh
velmora_deps
velmora_build "$root" program
exe="$root/build/win32/velmora.exe"
echo "Built $exe"
if [ "${1:-}" = "--build-only" ]; then exit 0; fi

. tests/wine-env.sh
velmora_prefix
# Without a modem or dial-up service, the program dials a simulated line.
if [ -z "${VELMORA_PHONEBOOK:-}" ] && [ -f "$root/resources/demo-phonebook.ini" ]; then
  mkdir -p "$root/build/run"
  [ -f "$root/build/run/phonebook.ini" ] || cp "$root/resources/demo-phonebook.ini" "$root/build/run/phonebook.ini"
  export VELMORA_PHONEBOOK="$root/build/run/phonebook.ini"
  echo "Simulated dial-up service, phonebook: $VELMORA_PHONEBOOK"
  # First run on the simulated line: settings that dial its demonstration entry.
  if [ ! -f "$root/build/win32/velmora.ini" ]; then
    cp "$root/resources/demo-settings.ini" "$root/build/win32/velmora.ini"
    echo "Demonstration settings: build/win32/velmora.ini"
  fi
fi
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec wine "$exe" "$@"
fi
velmora_display
trap 'wineserver -k 2>/dev/null || true; velmora_display_stop || true' EXIT
wine explorer /desktop=Velmora,1024x768 "$exe" "$@" >/dev/null 2>&1 &
app=$!
sleep 6
# The pointer starts in the middle of the screen, over the window: move it off, so that no
# tooltip covers the picture.
VELMORA_DESKTOP=Velmora wine "$root/build/win32/e2edriver.exe" pointer 5 5 >/dev/null 2>&1 || true
sleep 1
import -window root "$root/build/screenshot.png" 2>/dev/null && echo "Screenshot: build/screenshot.png"
echo "Running on virtual display $DISPLAY. Stop it with Ctrl+C (or: WINEPREFIX=$WINEPREFIX wineserver -k)."
wait $app || true
