#!/usr/bin/env bash
# The start-up benchmark (not part of ./test.sh): wall time from starting a program in Wine's
# desktop until its main window is shown, for velmora.exe and for Wine's own notepad.exe,
# taken in turns in one desktop of a scratch prefix; prints each run, the medians and their
# ratio.   tools/bench/startup.sh [RUNS]      (default: 5)
# BENCH_EXE=path/to/velmora.exe measures another build of the program (e.g. an older one).
# The driver waits for the window before the program starts, so its own start-up is not
# counted; the desktop is kept open between runs by Wine's clock program.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
runs=${1:-5}
. tools/deps.sh
velmora_build "$root" program >/dev/null
. tests/wine-env.sh
velmora_prefix
unset DISPLAY  # a display of our own: other windows would change the timings
velmora_display
work=$(mktemp -d /tmp/velmora-bench.XXXXXX)
cp -a "$WINEPREFIX.template" "$work/prefix"
export WINEPREFIX="$work/prefix" VELMORA_DESKTOP=Bench
cp "${BENCH_EXE:-build/win32/velmora.exe}" "$work/velmora.exe"
printf '%s\r\n' '[Other]' AutoStartUp=0 AutoAdjustClock=0 >"$work/velmora.ini"
cleanup() {
  wineserver -k 2>/dev/null || true
  velmora_display_stop || true
  rm -rf "$work"
}
trap cleanup EXIT
drive() { wine build/win32/e2edriver.exe "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
desktop() { (cd "$work" && exec wine explorer /desktop=Bench,1024x768 "$@") >/dev/null 2>&1 & }

desktop clock.exe
for i in $(seq 1 60); do drive wait Clock 1 >/dev/null && break; sleep 0.5; done
drive wait Clock 1 >/dev/null || { echo "the desktop did not start" >&2; exit 1; }

# Seconds from the program's start until CAPTION is shown; the program is closed again.
measure() {
  local caption=$1 t0 t1
  shift
  ( drive wait "$caption" 60 >/dev/null && date +%s.%N >"$work/shown" ) &
  local waiter=$!
  sleep 1.5  # the driver is running and looking
  t0=$(date +%s.%N)
  desktop "$@"
  wait "$waiter" || { echo "$caption did not appear" >&2; exit 1; }
  t1=$(cat "$work/shown")
  echo "$t1 - $t0" | bc -l
  drive syscmd "$caption" close >/dev/null
  drive waitgone "$caption" 20 >/dev/null
  sleep 1  # the process ends
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

measure "Velmora " ./velmora.exe >/dev/null  # warm the disk cache for both
measure "Untitled - Notepad" notepad.exe >/dev/null
: >"$work/app.txt"
: >"$work/notepad.txt"
for r in $(seq 1 "$runs"); do
  a=$(measure "Velmora " ./velmora.exe)
  n=$(measure "Untitled - Notepad" notepad.exe)
  echo "$a" >>"$work/app.txt"
  echo "$n" >>"$work/notepad.txt"
  printf 'run %d: velmora %.2f s, notepad %.2f s\n' "$r" "$a" "$n"
done
a=$(median <"$work/app.txt")
n=$(median <"$work/notepad.txt")
printf 'median of %d: velmora %.2f s, notepad %.2f s, ratio %.2f\n' "$runs" "$a" "$n" "$(echo "$a / $n" | bc -l)"
