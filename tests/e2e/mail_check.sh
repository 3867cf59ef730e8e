#!/usr/bin/env bash
# After connecting, the mailboxes are read from a real POP3 server on loopback: messages
# listed and counted, and a refused mailbox explained. The new-mail sound file is missing, so
# the new-mail icon shows instead; the main window is active again after the check.
. "$(dirname "$0")/lib.bash"
. "$(dirname "$0")/pop3_peer.bash"
trap 'pop3_stop; e2e_cleanup' EXIT

pop3_start "$E2E_WORK/pop" "alice:secret:Bob <bob@example.com>|Hello there;Carol <carol@example.com>|Lunch at noon" \
  "dave:secret" || fail "no POP3 server"

write_phonebook '[ISP]' PhoneNumber=555-0100 StepDelay=20
write_settings '[DUN]' DialUpConnection=ISP UsernameDUN=joe "PasswordDUN=$E2E_SECRET" \
  '[Other]' AutoAdjustClock=0 TimerEnabled=1 TimerDelay=15 \
  '[POP3]' 'Sound file=C:\nowhere\missing.wav' \
  '[Mail]' m0=alice m1=dave m2=erin \
  '[POPS]' m0=127.0.0.1 m1=127.0.0.1 m2=127.0.0.1 \
  '[Password]' "m0=$E2E_SECRET" "m1=$E2E_SECRET" "m2=$E2E_SECRET"

exe=$(winepath -w "$E2E_WORK/velmora.exe" 2>/dev/null)
start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
icons=$(drive trayicon "$exe" MAINICON BMAIL_ICON)
[ "$icons" = MAINICON ] || fail "the tray shows \"$icons\" before any mail"
drive click "Velmora " "Dial"
# erin has no mailbox on the server: the check warns about it.
box=$(drive dialog 40) || fail "no warning about the refused mailbox: $(drive listbox "Velmora ")"
grep -q "The Email server is not responding or the address entered in the Settings is wrong." <<<"$box" ||
  fail "wrong box: $box"
drive dialogbutton - OK
drive waittext "Velmora " "2" 20 || fail "the count is not 2: $(drive list "Velmora ")"
lines=$(drive listbox "Velmora ")
grep -qx "Mail for : alice" <<<"$lines" || fail "no line for alice: $lines"
grep -q "Bob <bob@example.com>.Hello there" <<<"$lines" || fail "first message not listed: $lines"
grep -q "Carol <carol@example.com>.Lunch at noon" <<<"$lines" || fail "second message not listed: $lines"
grep -q "Mail for : dave" <<<"$lines" && fail "an empty mailbox was listed: $lines"
for i in $(seq 1 25); do
  icons=$(drive trayicon "$exe" MAINICON BMAIL_ICON)
  grep -qx BMAIL_ICON <<<"$icons" && break
  sleep 0.2
done
grep -qx BMAIL_ICON <<<"$icons" || fail "no new-mail icon with the sound file missing: $icons"
main_is_active "after the mail check"
drive text "Velmora " "Connected." || fail "not connected"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
echo "mail_check: ok"
