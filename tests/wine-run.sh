#!/usr/bin/env bash
# Runs one cross-built program under Wine in the project's prefix on an X display, and
# returns its exit code. Used by ctest for the win32 tests.
set -u
. "$(dirname "$0")/wine-env.sh"
velmora_prefix
velmora_display || exit 1
own_display=${VELMORA_XVFB_PID:-}
wine "$@"
rc=$?
# Wine's own processes hold the display open: end them before a display of our own goes.
if [ -n "$own_display" ]; then wineserver -k 2>/dev/null; velmora_display_stop; fi
exit $rc
