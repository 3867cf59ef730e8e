#!/usr/bin/env bash
# The user's word wins on the simulated line: Hang-Up while a dropped line is being
# redialled ends off-line with no further dial; Quit during a dial cancels it and writes the
# time; Windows ending the session gets a "yes" from every window, the line hung up and the
# time written.
. "$(dirname "$0")/lib.bash"

write_phonebook '[Flaky]' PhoneNumber=555-0400 DropAfter=3 StepDelay=300 \
  '[Slow]' PhoneNumber=555-0500 StepDelay=500 '[Steady]' PhoneNumber=555-0600 StepDelay=40
settings() { dial_settings "$1" StayOnline=1; }
key() { tr -d '\r' <"$E2E_INI" | sed -n "s/^$1=//p"; }
dials() { drive listbox "Velmora " | grep -c '^Opening Port$'; }

# Hang-Up pressed while the redial after the drop is dialling.
settings Flaky
start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive click "Velmora " "Dial"
drive waittext "Velmora " "Connected." 30 || fail "did not connect"
for i in $(seq 1 60); do
  drive listbox "Velmora " | grep -qx "Reconnecting automatically" && break
  sleep 0.25
done
drive notify "Velmora " "Hang-Up" || fail "no Hang-Up button during the redial"
drive waittext "Velmora " "Dial" 15 || fail "button does not read Dial after Hang-Up: $(drive list "Velmora ") $(drive listbox "Velmora ")"
n=$(dials)
sleep 8  # a redial would have dialled and connected by now
[ "$(dials)" = "$n" ] || fail "dialled again after Hang-Up: $(drive listbox "Velmora ")"
drive text "Velmora " "Connected." 2>/dev/null && fail "connected again after Hang-Up: $(drive list "Velmora ") $(drive listbox "Velmora ")"
drive text "Velmora " "Dial" || fail "button does not read Dial"
[ -n "$(key TimeOnLineSecs)" ] || fail "time not written at Hang-Up"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end (redial)"

# Quit during a slow first dial: the dial is cancelled, the time written, the process ends.
settings Slow
start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear (quit)"
drive click "Velmora " "Dial"
drive waittext "Velmora " "Dialing..." 15 || fail "dial did not start"
drive menu "Velmora " "&File" "&Quit" || fail "no &Quit item"
drive waittext "Velmora " "Connect Cancelled" 10 || fail "quitting did not cancel the dial"
wait_exit "$APP_PID" 30 || fail "program did not end after &Quit"
[ "$(key TimeOnLineHours)" = 0 ] && [ "$(key TimeOnLineSecs)" = 0 ] || fail "time not written at &Quit"

# Windows ends the session while online.
settings Steady
start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear (session)"
drive click "Velmora " "Dial"
drive waittext "Velmora " "Connected." 30 || fail "did not connect (session)"
sleep 3
answers=$(drive sendall "Velmora " 0x11 0 0)  # WM_QUERYENDSESSION
[ -n "$answers" ] || fail "no window answered"
grep -v '|1$' <<<"$answers" && fail "a window refused the end of the session: $answers"
grep -q '|Velmora |1$' <<<"$answers" || fail "the main window was not asked: $answers"
drive waittext "Velmora " "Disconnected" 5 || fail "the line was not hung up"
secs=$(key TimeOnLineSecs)
[ "${secs:-0}" -ge 2 ] || fail "time not written at the session's end: '$secs'"
drive sendall "Velmora " 0x16 1 0 >/dev/null  # WM_ENDSESSION, ending
wait_exit "$APP_PID" 30 || fail "program did not end with the session"
echo "user_word: ok"
