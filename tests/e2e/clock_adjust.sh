#!/usr/bin/env bash
# "Adjust" asks the TIME server and sets the clock from its answer. The server here answers
# with a day in 2022, which Wine refuses to set (it moves the clock by half a second at most),
# so the machine's clock never changes; Wine's log shows the attempt and its distance, and
# the program says that the clock could not be set: in a box for the user's Adjust, and in
# the message list with how far the clock is off and why (after connecting, in the list
# only, as a unit case shows).
. "$(dirname "$0")/lib.bash"

write_settings '[Other]' AutoAdjustClock=0 AutoStartUp=0 TimeServer=127.0.0.2
wine "$DRIVER" timeserve 127.0.0.2 37 E66E4E00 60 >"$E2E_WORK/timeserve.log" 2>&1 &
E2E_PIDS+=($!)
for i in $(seq 1 50); do grep -q listening "$E2E_WORK/timeserve.log" 2>/dev/null && break; sleep 0.2; done
grep -q listening "$E2E_WORK/timeserve.log" || fail "TIME server did not start: $(cat "$E2E_WORK/timeserve.log")"

WINEDEBUG=err+all start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive click "Velmora " "Adjust" || fail "no Adjust button"
for i in $(seq 1 50); do grep -q served "$E2E_WORK/timeserve.log" && break; sleep 0.2; done
grep -q served "$E2E_WORK/timeserve.log" || fail "the program did not ask the TIME server"
# The answer is years away: Adjust asks before such a step.
box=$(drive dialog 20) || fail "no question before a step of years"
grep -q "The time server's clock differs from this computer's clock by" <<<"$box" || fail "wrong box: $box"
drive dialogbutton - "&Yes" || fail "no Yes button: $box"
for i in $(seq 1 50); do grep -q "NtSetSystemTime not allowed" "$E2E_WORK/app.log" && break; sleep 0.2; done
diff=$(grep -o "NtSetSystemTime not allowed: difference -\?[0-9]*" "$E2E_WORK/app.log" | grep -o -- "-\?[0-9]*$" | head -1)
[ -n "$diff" ] || fail "the clock was not set: $(tail -5 "$E2E_WORK/app.log")"
# Wine logs the distance from now to the time asked for in a 32-bit number. The answer,
# 2022-07-05 05:43:28 UTC (1656999808000 ms after 1970), was true at the moment it was
# served; the program adds the time since it arrived, so the distance is the answer's
# distance from that moment, within 0.7 s however long the window took to hide.
served=$(grep -o "served [0-9]*" "$E2E_WORK/timeserve.log" | grep -o "[0-9]*$")
[ -n "$served" ] || fail "the TIME server did not say when it answered"
want=$(( (1656999808000 - served) % 4294967296 ))
[ "$want" -lt 0 ] && want=$(( want + 4294967296 ))
got=$(( diff < 0 ? diff + 4294967296 : diff ))
off=$(( got - want ))
[ "${off#-}" -lt 700 ] || fail "the clock was set to the wrong time (difference $diff ms, expected $want mod 2^32)"
box=$(drive dialog 20) || fail "the refused clock change was not reported"
grep -q "The computer clock could not be set: " <<<"$box" || fail "wrong box: $box"
drive dialogbutton - OK
drive visible "Velmora " || fail "main window went away"
refused='^Computer clock is [0-9]*\.[0-9] s ahead of 127\.0\.0\.2: this account may not set the clock$'
drive listbox "Velmora " | grep -q "$refused" || fail "the list does not say how far off and why: $(drive listbox "Velmora ")"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"

echo "clock_adjust: ok"
