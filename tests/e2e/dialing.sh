#!/usr/bin/env bash
# Dialing over the simulated line: connect and hang up, and a busy number redialled through
# the alternate numbers until one answers.
. "$(dirname "$0")/lib.bash"

write_phonebook '[ISP]' PhoneNumber=555-0100 StepDelay=40 \
  '[Busy Town]' PhoneNumber=555-0200 Busy=555-0200,555-0201 StepDelay=40
settings() {
  dial_settings "$1" TimeOnLineHours=1 TimeOnLineMins=0 TimeOnLineSecs=0 '[PhoneNumber]' m0=555-0201 m1=555-0202
}

# Connect, stay a few seconds, hang up: the time keys grow by the time online.
settings ISP
start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive click "Velmora " "Dial" || fail "no Dial button"
drive waittext "Velmora " "Connected." 30 || fail "did not connect: $(drive list "Velmora ")"
drive text "Velmora " "Hang-Up" || fail "button does not read Hang-Up"
bar=$(drive statusbar "Velmora ")
grep -q '^Host: ' <<<"$bar" || fail "no host in the status bar: $bar"
grep -q '^IP: \|^IP:address unknown' <<<"$bar" || fail "no address in the status bar: $bar"
lines=$(drive listbox "Velmora ")
for l in "Opening Port" "Authenticated" "Connected"; do
  grep -qx "$l" <<<"$lines" || fail "message list lacks \"$l\": $lines"
done
sleep 4
drive click "Velmora " "Hang-Up" || fail "no Hang-Up button"
drive waittext "Velmora " "Disconnected" 10 || fail "status is not Disconnected"
drive text "Velmora " "Dial" || fail "button does not read Dial"
secs=$(tr -d '\r' <"$E2E_INI" | sed -n 's/^TimeOnLineSecs=//p')
hours=$(tr -d '\r' <"$E2E_INI" | sed -n 's/^TimeOnLineHours=//p')
[ "$hours" = 1 ] && [ "${secs:-0}" -ge 3 ] && [ "$secs" -le 30 ] || fail "time keys did not grow: $hours h $secs s"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"

# A busy line: redialled through the alternate numbers until one answers.
settings "Busy Town"
start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear (busy)"
drive click "Velmora " "Dial"
drive waittext "Velmora " "Connected." 60 || fail "busy line never connected: $(drive listbox "Velmora ")"
lines=$(drive listbox "Velmora ")
grep -qx "Dialing alternate number : 555-0201" <<<"$lines" || fail "first alternate not dialled: $lines"
grep -qx "Dialing alternate number : 555-0202" <<<"$lines" || fail "second alternate not dialled: $lines"
grep -qx "Reconnecting automatically" <<<"$lines" || fail "no reconnect line"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end (busy)"
echo "dialing: ok"
