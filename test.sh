#!/usr/bin/env bash
# Builds everything and runs every test: unit (native), win32 (under Wine) and e2e (the
# real program under Wine on a virtual display, against real peers on loopback).
set -eu
root=$(cd "$(dirname "$0")" && pwd)
cd "$root"
. tools/deps.sh
velmora_deps
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
