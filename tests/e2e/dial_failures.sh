#!/usr/bin/env bash
# A refused password is explained and not redialled; a line the provider drops is
# redialled by itself while "&Stay Online" is set.
. "$(dirname "$0")/lib.bash"

write_phonebook '[Strict]' PhoneNumber=555-0300 User=joe Password=right StepDelay=40 \
  '[Flaky]' PhoneNumber=555-0400 DropAfter=3 StepDelay=40
settings() { dial_settings "$1" StayOnline=1; }

settings Strict
start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive click "Velmora " "Dial"
box=$(drive dialog 30) || fail "no explanation box"
grep -q "Your username and or password for accessing the internet is wrong." <<<"$box" || fail "wrong box: $box"
drive dialogbutton - OK || fail "could not close the box"
sleep 4  # a redial would have begun 3 s after the failure
lines=$(drive listbox "Velmora ")
[ "$(grep -c '^Opening Port$' <<<"$lines")" = 1 ] || fail "dialled again after 691: $lines"
drive text "Velmora " "Connect Cancelled" || fail "status is not Connect Cancelled"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"

settings Flaky
start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear (drop)"
drive click "Velmora " "Dial"
drive waittext "Velmora " "Connected." 30 || fail "did not connect"
for i in $(seq 1 40); do
  lines=$(drive listbox "Velmora ")
  [ "$(grep -c '^Connected$' <<<"$lines")" -ge 2 ] && break
  sleep 0.5
done
grep -qx "Reconnecting automatically" <<<"$lines" || fail "dropped line was not redialled: $lines"
[ "$(grep -c '^Connected$' <<<"$lines")" -ge 2 ] || fail "redial did not connect: $lines"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end (drop)"
echo "dial_failures: ok"
