#!/usr/bin/env bash
# IMAP mailboxes against dovecot as this test's own instance on 127.0.0.9: the unseen
# messages are counted and listed, decoded, and stay unseen on the server; imaps:// with a
# certificate made for this run is asked about once and then checked without asking; and
# imap+starttls:// to a server that does not offer STARTTLS (a scripted peer that records
# what it hears) is refused before any account or password goes out.
. "$(dirname "$0")/lib.bash"
. "$(dirname "$0")/imap_peer.bash"
PEER_PID=""
trap '[ -n "$PEER_PID" ] && kill "$PEER_PID" 2>/dev/null; imap_stop; e2e_cleanup' EXIT

certs="$E2E_WORK/certs"
fp=$(imap_cert "$certs" server) && [ -n "$fp" ] || fail "no test certificate"
IMAP_TLS_CERT="$certs/server.crt" IMAP_TLS_KEY="$certs/server.key"
imap_start "$E2E_WORK/imap" \
  "alice:secret:Bob <bob@example.com>|Hello there;Old <old@example.com>|Already read|S;Eve <eve@example.com>|=?UTF-8?B?TWludXRlcw==?=" \
  "carol:secret:Dan <dan@example.com>|Lunch" || fail "no IMAP server"
log="$E2E_WORK/imap/dovecot.log"
[ "$(imap_unseen alice secret)" = 2 ] || fail "the mailbox does not start with two unseen messages"

# The peer without STARTTLS: it greets, records every line and refuses every command.
heard="$E2E_WORK/peer.log"
: >"$heard"
python3 - "$IMAP_HOST" "$heard" <<'PY' &
import socket, sys, time
s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind((sys.argv[1], 1143))
s.listen(4)
s.settimeout(5)
log = open(sys.argv[2], "a")
end = time.time() + 240
while time.time() < end:
    try:
        c, _ = s.accept()
    except socket.timeout:
        continue
    c.settimeout(60)
    f = c.makefile("rwb")
    try:
        f.write(b"* OK [CAPABILITY IMAP4rev1 AUTH=PLAIN] no TLS here\r\n")
        f.flush()
        for line in f:
            log.write(line.decode(errors="replace"))
            log.flush()
            tag = line.split(b" ")[0]
            if b"LOGOUT" in line.upper():
                f.write(b"* BYE bye\r\n" + tag + b" OK bye\r\n")
                f.flush()
                break
            f.write(tag + b" BAD not here\r\n")
            f.flush()
    except Exception:
        pass
    c.close()
PY
PEER_PID=$!
imap_wait_port 1143 || fail "the scripted peer did not listen"

export VELMORA_PHONEBOOK="$E2E_WORK/phonebook.ini"
printf '[ISP]\nPhoneNumber=555-0100\nStepDelay=20\n' >"$VELMORA_PHONEBOOK"
secret=5118547184477095129547184  # "secret" as the settings file stores it
{
  printf '[DUN]\r\nDialUpConnection=ISP\r\nUsernameDUN=joe\r\nPasswordDUN=%s\r\n' "$secret"
  printf '[Other]\r\nAutoAdjustClock=0\r\nTimerEnabled=1\r\nTimerDelay=15\r\n'
  printf '[Mail]\r\nm0=alice\r\nm1=bob\r\nm2=carol\r\n'
  printf '[POPS]\r\nm0=imap://%s\r\nm1=imap+starttls://%s:1143\r\nm2=imaps://%s\r\n' "$IMAP_HOST" "$IMAP_HOST" "$IMAP_HOST"
  printf '[Password]\r\nm0=%s\r\nm1=%s\r\nm2=%s\r\n' "$secret" "$secret" "$secret"
} >"$E2E_WORK/velmora.ini"

# Waits (bounded) until the box on screen is gone.
box_gone() { for i in $(seq 1 50); do drive dialog 0 >/dev/null || return 0; sleep 0.1; done; return 1; }

start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive click "Velmora " "Dial"
box=$(drive dialog 60) || fail "no warning about bob's mailbox: $(drive listbox "Velmora ")"
grep -q "The Email server is not responding" <<<"$box" || fail "wrong box for bob: $box"
drive dialogbutton - OK
box_gone || fail "the warning stayed"
box=$(drive dialog 60) || fail "no question about the certificate: $(drive listbox "Velmora ")"
grep -q "does not trust the certificate of the mail server for the mailbox carol ($IMAP_HOST)" <<<"$box" ||
  fail "wrong box: $box"
shows_fingerprint "$fp" "$box" || fail "the box does not show the fingerprint $fp: $box"
grep -q "user=<carol>" "$log" && fail "carol's account went out before the answer: $(cat "$log")"
drive dialogbutton - "&Yes"
drive waittext "Velmora " "3" 30 || fail "the count is not 3: $(drive list "Velmora ")"
lines=$(drive listbox "Velmora ")
grep -qx "Mail for : alice" <<<"$lines" || fail "no line for alice: $lines"
grep -q "Bob <bob@example.com>.Hello there" <<<"$lines" || fail "first unseen message not listed: $lines"
grep -q "Eve <eve@example.com>.Minutes$" <<<"$lines" || fail "the encoded subject is not decoded: $lines"
grep -q "Already read" <<<"$lines" && fail "a seen message was listed: $lines"
grep -q "Dan <dan@example.com>.Lunch" <<<"$lines" || fail "carol's mail not listed: $lines"
grep -q "Mail for : bob" <<<"$lines" && fail "the refused mailbox was listed: $lines"
grep -q "Login: user=<carol>.*TLS" "$log" || fail "carol did not log in over TLS: $(cat "$log")"
grep -qF "$IMAP_HOST=$fp" "$E2E_WORK/velmora.ini" || fail "the trusted fingerprint was not kept"
# Nothing was marked: the server still reports both messages unseen.
[ "$(imap_unseen alice secret)" = 2 ] || fail "the check changed the unseen messages"

# Again: bob is refused again, carol is checked without a question.
drive click "Velmora " "E-mail"
box=$(drive dialog 60) || fail "no second warning about bob's mailbox"
grep -q "The Email server is not responding" <<<"$box" || fail "wrong second box: $box"
drive dialogbutton - OK
box_gone || fail "the second warning stayed"
for i in $(seq 1 100); do [ "$(grep -c "Login: user=<carol>" "$log")" -ge 2 ] && break; sleep 0.2; done
[ "$(grep -c "Login: user=<carol>" "$log")" -ge 2 ] || fail "carol was not checked again: $(cat "$log")"
drive waittext "Velmora " "3" 30 || fail "the second count is not 3: $(drive list "Velmora ")"
box=$(drive dialog 2) && fail "asked again: $box"
# The peer without STARTTLS heard no account and no password, only the goodbye.
grep -qiE "LOGIN|AUTHENTICATE|secret" "$heard" && fail "the peer without STARTTLS heard: $(cat "$heard")"
[ "$(imap_unseen alice secret)" = 2 ] || fail "the second check changed the unseen messages"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
echo "mail_imap: ok"
