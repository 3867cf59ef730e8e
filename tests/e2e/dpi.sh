#!/usr/bin/env bash
# At 144 dots per inch (Windows' 150 %) the main window, the settings dialog and the
# schedule dialog, and every control in them, are at least 1.35 times their size at 96:
# the layout grows with the screen instead of clipping in a larger font; and each window
# stays inside the screen's work area.
. "$(dirname "$0")/lib.bash"

SETTINGS="Configure Velmora"
SCHEDULE="Scheduling program to execute unattended"
write_settings '[DUN]' DialUpConnection=ISP UsernameDUN=joe '[Other]' AutoStartUp=0 AutoAdjustClock=0

# Starts the program and prints each window's controls as "window|class|text|w,h" (and
# "window|client|w,h"), in the order the windows hold them.
measure() {
  local w
  start_app
  drive wait "Velmora " 60 >/dev/null || fail "$1 dpi: main window did not appear"
  drive click "Velmora " "Settings" || fail "$1 dpi: no Settings button"
  drive wait "$SETTINGS" 20 >/dev/null || fail "$1 dpi: the settings dialog did not open"
  drive list "$SETTINGS" | sed 's/^/settings|/'
  drive click "$SETTINGS" "Cancel"
  drive waitgone "$SETTINGS" 10 || fail "$1 dpi: Cancel did not close the settings dialog"
  for w in 1 2 3; do  # the menu keys go astray while the activation returns to the main window
    drive menu "Velmora " "&Schedule" "&Dial and execute progs" && drive wait "$SCHEDULE" 5 >/dev/null && break
  done
  drive wait "$SCHEDULE" 1 >/dev/null || fail "$1 dpi: the schedule dialog did not open"
  drive list "$SCHEDULE" | sed 's/^/schedule|/'
  drive keys "$SCHEDULE" escape
  drive waitgone "$SCHEDULE" 10 || fail "$1 dpi: Escape did not close the schedule dialog"
  drive list "Velmora " | sed 's/^/main|/'
  drive syscmd "Velmora " close
  wait_exit "$APP_PID" 30 || fail "$1 dpi: the program did not end"
}
# Keeps what the comparison needs: window, class, text, and the size.
sizes() { awk -F'|' '$2 == "frame" { next } $2 == "client" { print $1 "|client||" $3; next } { n = split($NF, r, ","); print $1 "|" $2 "|" $3 "|" r[3] "," r[4] }'; }

measure 96 >"$E2E_WORK/96.txt"
at96=$(sizes <"$E2E_WORK/96.txt")
wineserver -k 2>/dev/null  # this prefix's: the next start reads the new dpi
wine reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 ||
  fail "could not set LogPixels"
wineserver -w
measure 144 >"$E2E_WORK/144.txt"
at144=$(sizes <"$E2E_WORK/144.txt")

[ "$(wc -l <<<"$at96")" -gt 100 ] || fail "too few controls seen at 96 dpi: $at96"
[ "$(cut -d'|' -f1-3 <<<"$at96")" = "$(cut -d'|' -f1-3 <<<"$at144")" ] ||
  fail "other controls at 144 dpi: $(diff <(echo "$at96") <(echo "$at144"))"
small=$(paste -d'|' <(echo "$at96") <(echo "$at144" | cut -d'|' -f4) |
  awk -F'|' '{ split($4, a, ","); split($5, b, ",");
               if (100 * b[1] < 135 * a[1] || 100 * b[2] < 135 * a[2]) print $1 " " $2 " \"" $3 "\": " $4 " -> " $5 }')
[ -z "$small" ] || fail "not grown by 1.35 at 144 dpi:
$small"
# Every window lies wholly on the 1024 x 768 screen's work area, at 144 dpi too (the
# schedule dialog is laid out smaller to fit).
off=$(cat "$E2E_WORK/96.txt" "$E2E_WORK/144.txt" | awk -F'|' '$2 == "frame" && $3 != 1')
[ -z "$off" ] || fail "windows off the work area: $off"
echo "dpi: ok ($(wc -l <<<"$at96") windows and controls)"
