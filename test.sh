#!/usr/bin/env bash
# Builds everything and runs every test: unit (native), win32 (under Wine) and e2e (the
# real program under Wine on a virtual display, against real peers on loopback). The
# arguments go to ctest; when they ask only for the unit label (-L unit), only the native
# configuration is built and neither Wine nor a display is started.
#   ./test.sh [ctest arguments...]      e.g. ./test.sh -L unit, ./test.sh -R e2e_dialing
set -eu
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
. tools/deps.sh
velmora_deps

labels=() prev=""
for a in "$@"; do
  case "$prev" in -L | --label-regex) labels+=("$a") ;; esac
  case "$a" in -L?*) labels+=("${a#-L}") ;; --label-regex=*) labels+=("${a#*=}") ;; esac
  prev=$a
done
unit_only=0
if [ ${#labels[@]} -gt 0 ]; then
  unit_only=1
  for l in "${labels[@]}"; do [ "$l" = unit ] || unit_only=0; done
fi
if [ $unit_only = 1 ]; then
  velmora_build "$root" native
  exec ctest --test-dir build/native --output-on-failure -j2 "$@"
fi
velmora_build "$root" all

. tests/wine-env.sh
velmora_prefix
velmora_display
stop_all() { wineserver -k 2>/dev/null || true; velmora_display_stop || true; }
trap stop_all EXIT
set +e
ctest --test-dir build/native --output-on-failure -j2 "$@"
rc=$?
stop_all
trap - EXIT
exit $rc
