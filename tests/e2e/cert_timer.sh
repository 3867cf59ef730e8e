#!/usr/bin/env bash
# A mail check nobody started asks nothing: the certificate question the user answered "No"
# after dialling is not asked again by the timer's check, which lists the mailbox as waiting
# for confirmation instead, sends nothing of the account, and shows no box.
. "$(dirname "$0")/lib.bash"
. "$(dirname "$0")/pop3_peer.bash"
trap 'pop3_stop; e2e_cleanup' EXIT

pop3_start_tls "$E2E_WORK" "alice:secret:Bob <bob@example.com>|Hello" || fail "no POP3 server with TLS"

write_phonebook '[ISP]' PhoneNumber=555-0100 StepDelay=20
dial_settings ISP TimerEnabled=1 TimerDelay=1 \
  '[Mail]' m0=alice '[POPS]' m0=pops://localhost '[Password]' "m0=$E2E_SECRET"

start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive click "Velmora " "Dial"
box=$(drive dialog 60) || fail "no question after the user's dial"
grep -q "alice (localhost)" <<<"$box" || fail "wrong box: $box"
drive dialogbutton - "&No"
waiting="the certificate of the mail server waits for your confirmation"
for _ in $(seq 1 90); do
  box=$(drive dialog 0) && fail "a box during the timer's check: $box"
  grep -q "alice (localhost): $waiting" <<<"$(drive listbox "Velmora ")" && break
  sleep 1
done
grep -q "alice (localhost): $waiting" <<<"$(drive listbox "Velmora ")" ||
  fail "the timer's check did not list the mailbox as waiting: $(drive listbox "Velmora ")"
grep -q "user=<alice>" "$E2E_WORK/pop/dovecot.log" && fail "the account went out: $(cat "$E2E_WORK/pop/dovecot.log")"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
echo "cert_timer: ok"
