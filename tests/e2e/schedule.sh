#!/usr/bin/env bash
# The schedule dialog on the simulated line, worked through its own windows. Two copies of
# the program run side by side, each in a Wine prefix of its own, armed for the same minute:
# one is reset before that minute and never dials; the other dials by itself, starts its
# program (notepad) once connected and hangs up at its hang-up minute, the same minute.
#
# The lists offer minutes in steps of five, so the test moves Wine's local time: a time zone
# a few minutes east of UTC makes the coming minute a multiple of five. The machine's clock
# is not touched.
. "$(dirname "$0")/lib.bash"

DIALOG="Scheduling program to execute unattended"
PA="$E2E_WORK/prefix" PB="$E2E_WORK/prefix-b"
cp -a "$PA" "$PB"
trap 'WINEPREFIX="$PB" wineserver -k 2>/dev/null; e2e_cleanup' EXIT

# The scheduled minute starts at BOUNDARY (seconds since the epoch), 90 to 150 s from now:
# enough for both programs to start and be armed before it, even on a busy machine.
now=$(date +%s)
BOUNDARY=$(( (now + 90 + 59) / 60 * 60 ))
shift_min=$(( (5 - (BOUNDARY / 60 % 60) % 5) % 5 ))
export TZ="UTC-0:0$shift_min"  # local time = UTC + shift_min minutes
HOUR=$(date -u -d "@$((BOUNDARY + shift_min * 60))" +%H)
MINUTE=$(date -u -d "@$((BOUNDARY + shift_min * 60))" +%M)
echo "scheduled minute $HOUR:$MINUTE local, $(( BOUNDARY - now )) s from now"

write_phonebook '[ISP]' PhoneNumber=555-0100 StepDelay=40
mkdir "$E2E_WORK/b"
cp "$E2E_WORK/velmora.exe" "$E2E_WORK/b/"
dial_settings ISP
cp "$E2E_INI" "$E2E_WORK/b/velmora.ini"

drive_a() { WINEPREFIX="$PA" drive "$@"; }
drive_b() { WINEPREFIX="$PB" drive "$@"; }

start_app
( cd "$E2E_WORK/b" && WINEPREFIX="$PB" exec wine ./velmora.exe ) >"$E2E_WORK/b/app.log" 2>&1 &
B_PID=$!
E2E_PIDS+=("$B_PID")

# Opens the dialog from the main menu.
open_dialog() {
  "$1" menu "Velmora " "&Schedule" "&Dial and execute progs" || fail "$1: no schedule menu"
  "$1" wait "$DIALOG" 10 >/dev/null || fail "$1: the schedule dialog did not open"
}
# Opens the dialog and chooses the scheduled minute as both dial and hang-up time.
arm() {
  open_dialog "$1"
  "$1" choose "$DIALOG" ComboBox1 "$HOUR" && "$1" choose "$DIALOG" ComboBox2 "$MINUTE" &&
    "$1" choose "$DIALOG" ComboBox3 "$HOUR" && "$1" choose "$DIALOG" ComboBox4 "$MINUTE" || fail "could not choose the times"
}
# Runs one side's steps in the background, its output kept for the failure message.
in_background() {
  local name=$1
  shift
  ( "$@" ) >"$E2E_WORK/$name.out" 2>&1 &
  E2E_PIDS+=("$!")
  eval "${name}_JOB=$!"
}
finish() { wait "$1" || fail "$(cat "$E2E_WORK/$2.out")"; }

# A: armed with Ok, then reset before the minute.
setup_a() {
  drive_a wait "Velmora " 60 >/dev/null || fail "A did not start"
  wine_now=$(drive_a localtime -)
  expected=$(date -u -d "@$(( $(date +%s) + shift_min * 60 ))" +%H:%M)
  [ "${wine_now:0:5}" = "$expected" ] || fail "Wine's local time $wine_now is not the shifted $expected"
  arm drive_a
  drive_a click "$DIALOG" "Ok" || fail "A: no Ok"
  drive_a waitgone "$DIALOG" 10 || fail "A: Ok did not close the dialog"
  drive_a listbox "Velmora " | grep -qx "Scheduled to execute at $HOUR:$MINUTE" || fail "A: no schedule line"
  open_dialog drive_a
  drive_a click "$DIALOG" "Reset scheduling" || fail "A: no Reset button"
  box=$(drive_a dialog 10) || fail "A: no box after the reset"
  grep -qx "caption|Velmora" <<<"$box" && grep -qx "owner|$DIALOG" <<<"$box" &&
    grep -q "The scheduling has been removed and turned off." <<<"$box" || fail "A: wrong box: $box"
  drive_a dialogbutton - OK || fail "A: could not close the box"
  drive_a waitgone "$DIALOG" 10 || fail "A: the reset did not close the dialog"
  [ -z "$(drive_a listbox "Velmora ")" ] || fail "A: the reset left the message list"
}

# B: notepad added to the list, armed from the keyboard.
setup_b() {
  drive_b wait "Velmora " 60 >/dev/null || fail "B did not start"
  arm drive_b
  drive_b text "$DIALOG" "Schedule program to execute at :" "Dial at:" "Hang-up at:" "Browse" "Add ---->" \
    "<---- Remove" "Ok" "Cancel" "Reset scheduling" || fail "B: the dialog lacks a control"
  drive_b settext "$DIALOG" Edit1 "notepad" && drive_b settext "$DIALOG" Edit2 "C:\\windows" &&
    drive_b click "$DIALOG" "Add ---->" || fail "B: could not add notepad"
  # The first tick inside the minute comes 3 to 11 s after it starts, which leaves the
  # hang-up tick 25 s later within the same minute.
  for _ in $(seq 1 30); do
    left=$(( BOUNDARY - $(date +%s) ))
    [ "$left" -le 3 ] && break
    [ $(( left % 25 )) -ge 14 ] && [ $(( left % 25 )) -le 22 ] && break
    sleep 1
  done
  spare=$(( BOUNDARY - $(date +%s) ))
  echo "B armed $spare s before the minute"
  [ "$spare" -ge 2 ] || fail "setting up took too long"
  # Tab leaves the Add button for Remove, then the list; Enter there presses Ok.
  drive_b keys "$DIALOG" tab tab enter || fail "B: keys did not reach the dialog"
  drive_b waitgone "$DIALOG" 10 || fail "B: Enter did not arm and close the dialog"
  drive_b listbox "Velmora " | grep -qx "Scheduled to execute at $HOUR:$MINUTE" || fail "B: no schedule line"
  drive_b text "Velmora " "Off-line" || fail "B: dialled before its minute"
}

in_background A setup_a
in_background B setup_b
finish "$A_JOB" A
finish "$B_JOB" B
cat "$E2E_WORK/B.out"

# A never dials, though its timer would have ticked within the minute; Escape then closes
# its dialog as Cancel does.
after_a() {
  while [ "$(date +%s)" -lt $(( BOUNDARY + 30 )) ]; do sleep 1; done
  lines=$(drive_a listbox "Velmora ")
  [ -z "$lines" ] || fail "A: dialled: $lines"
  drive_a text "Velmora " "Off-line" || fail "A: status changed"
  open_dialog drive_a
  drive_a keys "$DIALOG" escape
  drive_a waitgone "$DIALOG" 10 || fail "A: Escape did not close the dialog"
}
in_background A after_a

# B dials by itself within the minute and starts notepad once connected...
drive_b wait "Untitled - Notepad" $(( BOUNDARY - $(date +%s) + 40 )) >/dev/null ||
  fail "B: notepad did not start: $(drive_b listbox "Velmora ")"
lines=$(drive_b listbox "Velmora ")
for l in "Scheduled to execute at $HOUR:$MINUTE" "Opening Port" "Connected"; do
  grep -qx "$l" <<<"$lines" || fail "B: message list lacks \"$l\": $lines"
done
drive_b text "Velmora " "Dial" "Dialing..." || fail "B: a scheduled connection changed button or status"
# ... and hangs up at the hang-up minute, the same one.
drive_b waittext "Velmora " "Disconnected" $(( BOUNDARY + 62 - $(date +%s) )) || fail "B: did not hang up in its minute"
drive_b text "Velmora " "Dial" || fail "B: button does not read Dial"

# The list keeps its rows in order; a selected row is removed.
drive_b syscmd "Untitled - Notepad" close
drive_b waitgone "Untitled - Notepad" 10 || fail "B: notepad did not close"
drive_b syscmd "Velmora " restore  # back in front, so that the menu keys reach it
sleep 1
open_dialog drive_b
drive_b settext "$DIALOG" Edit1 "zzz-not-a-program.exe" && drive_b settext "$DIALOG" Edit2 "C:\\nowhere" &&
  drive_b click "$DIALOG" "Add ---->" || fail "B: could not add a row"
drive_b settext "$DIALOG" Edit1 "aaa-first.exe" && drive_b click "$DIALOG" "Add ---->" || fail "B: could not add a row"
rows=$(drive_b rows "$DIALOG" ListView1)
[ "$rows" = $'aaa-first.exe|C:\\nowhere\nnotepad|C:\\windows\nzzz-not-a-program.exe|C:\\nowhere' ] ||
  fail "B: rows not in order: $rows"
drive_b row "$DIALOG" ListView1 1 && drive_b click "$DIALOG" "<---- Remove" || fail "B: could not remove a row"
sleep 0.5
rows=$(drive_b rows "$DIALOG" ListView1)
[ "$rows" = $'aaa-first.exe|C:\\nowhere\nzzz-not-a-program.exe|C:\\nowhere' ] || fail "B: wrong row removed: $rows"

finish "$A_JOB" A
drive_a syscmd "Velmora " close
drive_b syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "A did not end"
wait_exit "$B_PID" 30 || fail "B did not end"
echo "schedule: ok"
