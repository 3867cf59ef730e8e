#!/usr/bin/env bash
# Mailboxes over TLS against dovecot with a certificate made for this run: POP3 over TLS on
# 127.0.0.1:995 and STLS on 110. A fingerprint trusted in the settings file is checked and
# counted; an unknown certificate is asked about and nothing of the account goes out before
# the answer; a changed certificate is refused with a warning naming the mailbox. The
# server's log shows each login, and that it came over TLS.
. "$(dirname "$0")/lib.bash"
. "$(dirname "$0")/pop3_peer.bash"
trap 'pop3_stop; e2e_cleanup' EXIT

certs="$E2E_WORK/certs"
fp=$(pop3_tls_cert "$certs" server) && [ -n "$fp" ] || fail "no test certificate"
other=$(pop3_tls_cert "$certs" other) && [ -n "$other" ] || fail "no second test certificate"
users=("alice:secret:Bob <bob@example.com>|Hello there" "carol:secret:Dan <dan@example.com>|Minutes;Eve <eve@example.com>|Lunch")
POP3_TLS_CERT="$certs/server.crt" POP3_TLS_KEY="$certs/server.key"
pop3_start "$E2E_WORK/pop" "${users[@]}" || fail "no POP3 server"
log="$E2E_WORK/pop/dovecot.log"

write_phonebook '[ISP]' PhoneNumber=555-0100 StepDelay=20
# The certificate was trusted earlier for localhost only.
write_settings '[DUN]' DialUpConnection=ISP UsernameDUN=joe "PasswordDUN=$E2E_SECRET" \
  '[Other]' AutoAdjustClock=0 TimerEnabled=1 TimerDelay=15 \
  '[Mail]' m0=alice m1=carol \
  '[POPS]' m0=pops://localhost m1=pop3+starttls://127.0.0.1 \
  '[Password]' "m0=$E2E_SECRET" "m1=$E2E_SECRET" \
  '[Certificates]' "localhost=$fp"

start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive click "Velmora " "Dial"
# alice's server is trusted by its fingerprint; carol's (the same certificate, another
# name) is not: the box shows the fingerprint, and carol has not logged in meanwhile.
box=$(drive dialog 60) || fail "no question about the certificate: $(drive listbox "Velmora ")"
grep -q "does not trust the certificate of the mail server for the mailbox carol (127.0.0.1)" <<<"$box" ||
  fail "wrong box: $box"
shows_fingerprint "$fp" "$box" || fail "the box does not show the fingerprint $fp: $box"
grep -qx "fits|1" <<<"$box" && ! grep -qx "fits|0" <<<"$box" || fail "the box cuts its text: $box"
grep -q "Login: user=<alice>.*TLS" "$log" || fail "alice did not log in over TLS: $(cat "$log")"
grep -q "user=<carol>" "$log" && fail "carol's account went out before the answer: $(cat "$log")"
drive dialogbutton - "&Yes" || fail "no Yes button: $box"
drive waittext "Velmora " "3" 30 || fail "the count is not 3: $(drive list "Velmora ")"
lines=$(drive listbox "Velmora ")
grep -qx "Mail for : alice" <<<"$lines" || fail "no line for alice: $lines"
grep -q "Eve <eve@example.com>.Lunch" <<<"$lines" || fail "carol's mail not listed: $lines"
grep -q "Login: user=<carol>.*TLS" "$log" || fail "carol did not log in over TLS: $(cat "$log")"
grep -qF "127.0.0.1=$fp" "$E2E_INI" || fail "the trusted fingerprint was not kept: $(cat "$E2E_INI")"
# No password went over a connection without TLS: every login the server saw was over TLS.
grep "Login: user=" "$log" | grep -qv "TLS" && fail "a login without TLS: $(cat "$log")"

# The server now shows another certificate: both mailboxes are refused, each by name.
pop3_stop
POP3_TLS_CERT="$certs/other.crt" POP3_TLS_KEY="$certs/other.key"
pop3_start "$E2E_WORK/pop" "${users[@]}" || fail "no POP3 server with the other certificate"
logins=$(grep -c "Login: user=" "$log")
drive click "Velmora " "E-mail"
for who in "alice (localhost)" "carol (127.0.0.1)"; do
  box=$(drive dialog 60) || fail "no warning for $who"
  grep -q "The certificate of the mail server has changed for the mailbox $who" <<<"$box" || fail "wrong box: $box"
  shows_fingerprint "$other" "$box" || fail "the warning does not show the new fingerprint: $box"
  drive dialogbutton - OK
  # Bounded: wait until this box is gone before looking for the next one.
  for i in $(seq 1 50); do drive dialog 0 >/dev/null || break; sleep 0.1; done
done
drive waittext "Velmora " "0" 30 || fail "the count is not 0: $(drive list "Velmora ")"
[ "$(grep -c "Login: user=" "$log")" = "$logins" ] || fail "a refused server saw a login: $(cat "$log")"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"

# At 144 dots per inch the question shows the whole fingerprint as well.
wineserver -k 2>/dev/null
wine reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 || fail "could not set LogPixels"
wineserver -w
write_settings '[DUN]' DialUpConnection=ISP UsernameDUN=joe "PasswordDUN=$E2E_SECRET" \
  '[Other]' AutoAdjustClock=0 TimerEnabled=1 TimerDelay=15 \
  '[Mail]' m0=carol '[POPS]' m0=pop3+starttls://127.0.0.1 '[Password]' "m0=$E2E_SECRET"
start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear (144 dpi)"
drive click "Velmora " "Dial"
box=$(drive dialog 60) || fail "no question at 144 dpi: $(drive listbox "Velmora ")"
shows_fingerprint "$other" "$box" || fail "the box at 144 dpi does not show the fingerprint: $box"
grep -qx "fits|1" <<<"$box" && ! grep -qx "fits|0" <<<"$box" || fail "the box cuts its text at 144 dpi: $box"
drive dialogbutton - "&No"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end (144 dpi)"
echo "mail_tls: ok"
