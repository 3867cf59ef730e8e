#!/usr/bin/env bash
# The program starts, shows its main window off-line, and ends with exit code 0 when closed.
. "$(dirname "$0")/lib.sh"

start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive text "Velmora " "Off-line" "Status: " "Dial" || fail "status texts missing"
drive list "Velmora " | grep -q '^client|529,302$' || fail "client area is not 529 x 302"
drive syscmd "Velmora " close || fail "could not close"
wait_exit "$APP_PID" 30 || fail "program did not end within 30 s"
[ "$APP_RC" -eq 0 ] || fail "exit code $APP_RC"
echo "main_window: ok"
