#!/usr/bin/env bash
# One instance per desktop; "/minimize" starts hidden; minimise and restore; quitting while
# off-line leaves the cumulative time as it was.
. "$(dirname "$0")/lib.bash"

write_settings '[Other]' TimeOnLineHours=3 TimeOnLineMins=10 TimeOnLineSecs=0

start_app /minimize
first=$APP_PID
for i in $(seq 1 100); do drive exists "Velmora " && break; sleep 0.3; done
drive exists "Velmora " || fail "no main window after /minimize"
sleep 4  # let it finish starting: its window exists before it answers a restore
drive visible "Velmora " && fail "/minimize showed the main window"

# A second start brings the first one's window back and ends at once with exit code 0.
start_app
second=$APP_PID
wait_exit "$second" 30 || fail "second instance did not end"
[ "$APP_RC" -eq 0 ] || fail "second instance exit code $APP_RC"
drive wait "Velmora " 15 >/dev/null || fail "first instance's window did not come back"
n=$(drive count "Velmora "); [ "$n" = 1 ] || fail "main windows: $n"

# Minimising hides the window; a restore brings it back.
drive syscmd "Velmora " minimize
drive waitgone "Velmora " 10 || fail "minimise did not hide the window"
drive syscmd "Velmora " restore
drive wait "Velmora " 10 >/dev/null || fail "restore did not show the window"

# Quit while off-line: the time keys are written unchanged.
drive menu "Velmora " "&File" "&Quit" || fail "no &Quit item"
wait_exit "$first" 30 || fail "program did not end after &Quit"
[ "$APP_RC" -eq 0 ] || fail "exit code $APP_RC"
grep -q '^TimeOnLineHours=3' "$E2E_INI" || fail "hours changed: $(cat "$E2E_INI")"
grep -q '^TimeOnLineMins=10' "$E2E_INI" || fail "minutes changed"
grep -q '^TimeOnLineSecs=0' "$E2E_INI" || fail "seconds changed"

# "/MINIMIZE" is not "/minimize": the window shows.
start_app /MINIMIZE
drive wait "Velmora " 60 >/dev/null || fail "/MINIMIZE did not show the window"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
echo "single_instance: ok"
