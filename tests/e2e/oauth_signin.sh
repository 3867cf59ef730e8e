#!/usr/bin/env bash
# A mailbox signed in from the settings dialog with the driver as the browser, against our own
# dovecot (IMAPS on 127.0.0.34) and authorization server (tokens live 60 s): checked, renewed
# after expiry; revoked, a line and no box in the timer's check, the sign-in offered by E-mail;
# no token in a file; the browser gets the page that says Velmora is signed in.
. "$(dirname "$0")/lib.bash"
. "$(dirname "$0")/dovecot_peer.bash"
HOST=127.0.0.34 DIR="$E2E_WORK/imap" SERVER_PID=""
trap '[ -n "$SERVER_PID" ] && kill "$SERVER_PID" 2>/dev/null; dovecot_end "$DIR" $HOST 993; e2e_cleanup' EXIT
oauth="$E2E_WORK/oauth.log" issued="$E2E_WORK/issued" browser="$E2E_WORK/browser.log" D="Configure Velmora"
python3 "$(dirname "$0")/oauth_server.py" $HOST 8034 cid "$oauth" "$issued" 60 & SERVER_PID=$!
fp=$(dovecot_cert "$E2E_WORK/certs" server "IP:$HOST") || fail "no test certificate"
dovecot_users "$DIR" "alice:unused:Bob <bob@example.com>|Hello;Carol <carol@example.com>|Lunch"
DOVECOT_TLS_CERT="$E2E_WORK/certs/server.crt" DOVECOT_TLS_KEY="$E2E_WORK/certs/server.key" \
  DOVECOT_OAUTH2_URL="http://$HOST:8034/introspect" dovecot_write_config "$DIR" $HOST imap:993:ssl
dovecot_run "$DIR" $HOST 993 || fail "no IMAP server"
dovecot_wait_port $HOST 8034 || fail "no authorization server"
wine reg add 'HKCR\http\shell\open\command' /ve /f \
  /d "\"$(winepath -w "$DRIVER")\" browse \"$(winepath -w "$browser")\" \"%1\"" >/dev/null 2>&1
write_phonebook '[ISP]' PhoneNumber=555-0100 StepDelay=20
dial_settings ISP TimerEnabled=1 TimerDelay=1 '[Mail]' m0=alice '[POPS]' "m0=imaps://$HOST" '[SignIn]' m0=other \
  '[OAuth]' "OtherAuthorizationEndpoint=http://$HOST:8034/authorize" "OtherTokenEndpoint=http://$HOST:8034/token" \
  OtherClientId=cid OtherScope=mail '[Certificates]' "$HOST=$fp"
listed() { drive listbox "Velmora "; }
checked() {  # waits (bounded) for both messages listed once more than before
  for _ in $(seq 1 100); do [ "$(listed | grep -c 'Bob <bob@example.com>.Hello')" = 1 ] &&
    [ "$(grep -c 'Login: user=<alice>' "$DIR/dovecot.log")" -ge "$1" ] && return 0; sleep 0.2; done; fail "$2: $(listed)"
}
start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive click "Velmora " "Settings" && drive wait "$D" 20 >/dev/null && drive tab "$D" "Mail" &&
  drive row "$D" ListView1 0 || fail "no Mail page"
drive click "$D" "Sign in..."
box=$(drive dialog 30) && signed=$SECONDS && grep -q "Signed in" <<<"$box" || fail "sign-in: $box $(cat "$browser" "$oauth")"
drive dialogbutton - OK && drive click "$D" "OK"
printf 'redirect 200\npage: Velmora is signed in; you can close this window.\n' |
  diff - <(tr -d "\r" <"$browser" | grep -v authorize) || fail "the listener's answers: $(cat "$browser")"
drive click "Velmora " "E-mail"
checked 1 "the signed-in mailbox was not listed"
# The timer checks a minute after the connection: after the renewal and the revocation below.
sleep $((signed + 20 - SECONDS))
drive click "Velmora " "Dial"
checked 2 "the check after dialling"
sleep $((signed + 62 - SECONDS))
drive click "Velmora " "E-mail"
checked 3 "the check after the token expired"
grep -q "token refresh_token alice" "$oauth" || fail "the token was not renewed: $(cat "$oauth")"
python3 -c "import urllib.request as u; u.urlopen('http://$HOST:8034/revoke', b'', 5)" || fail "no revocation"
for _ in $(seq 1 60); do listed | grep -qx "alice: sign in again (Settings, Mail)" && break; sleep 1; done
listed | grep -qx "alice: sign in again (Settings, Mail)" || fail "no line after the revocation: $(listed)"
box=$(drive dialog 2) && fail "a box from the timer's check: $box"
drive click "Velmora " "E-mail"
box=$(drive dialog 30) && grep -q "sign in again for the mailbox alice" <<<"$box" || fail "no sign-in offered: $box"
drive dialogbutton - "&Yes"
checked 4 "no check after signing in again"
grep -qFf "$issued" "$E2E_INI" "$E2E_WORK/velmora.uid" && fail "a file holds a token"
grep -q "^alice imaps://$HOST=dpapi:" "$E2E_INI" || fail "the sign-in was not kept: $(cat "$E2E_INI")"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
echo "oauth_signin: ok"
