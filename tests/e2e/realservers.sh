#!/usr/bin/env bash
# Servers the project did not write, in one check after dialing. The same mailbox on
# dovecot (127.0.0.1) and GNU mailutils' pop3d (127.0.0.7), plain and over TLS (dovecot
# without session tickets, so its handshake ends with a ChangeCipherSpec record; mailutils
# with GnuTLS), is listed the same: folded From and Subject whole, raw UTF-8 as its
# characters, encoded words split by a fold joined, of two Subject lines the first, a 2 MB
# message among them. A wrong password keeps its box and lists the server's reason under the
# mailbox's name. A scripted server that refuses APOP and hangs up is checked over USER and
# PASS on a new connection. A scripted network-time server ten years ahead gets no step
# after connecting (the list says so); Adjust asks first, "No" the default, and "No" sets
# nothing.
. "$(dirname "$0")/lib.bash"
. "$(dirname "$0")/pop3_peer.bash"
. "$(dirname "$0")/pop3_mailutils.bash"
trap 'mu_stop; pop3_stop; e2e_cleanup' EXIT

# The messages as mail programs write them, CR LF line ends.
message() {
  case $1 in
    1) printf 'From: Jack Folded\r\n <jack@example.org>\r\nSubject: This subject is folded\r\n across two lines\r\n' ;;
    2) printf 'From: R\xc3\xa9sum\xc3\xa9 <cv@example.org>\r\nSubject: Re: =?ISO-8859-1?Q?Caf=E9?=\r\n =?UTF-8?B?bmHDr3Zl?=\r\n' ;;
    3) printf 'From: Big <big@example.org>\r\nSubject: Two megabytes\r\n' ;;
    4) printf 'From: Twice <twice@example.org>\r\nSubject: First subject\r\nSubject: Second subject\r\n' ;;
  esac
  printf 'To: alice@localhost\r\nDate: Mon, 7 Dec 2026 08:00:00 +0000\r\n\r\nHello.\r\n'
  [ "$1" = 3 ] && head -c 1500000 /dev/zero | base64 -w 76 | sed 's/$/\r/'
  return 0
}

certs="$E2E_WORK/certs"
fp=$(pop3_tls_cert "$certs" server) && [ -n "$fp" ] || fail "no test certificate"
POP3_TLS_CERT="$certs/server.crt" POP3_TLS_KEY="$certs/server.key" DOVECOT_SSL_OPTIONS=no_ticket
pop3_start "$E2E_WORK/dovecot" "alice:secret" || fail "no dovecot"
for i in 1 2 3 4; do message $i >"$E2E_WORK/dovecot/home/alice/Maildir/new/$i.velmora:2,"; done
chown -R "$(id -u nobody):$(id -g nobody)" "$E2E_WORK/dovecot/home"

mkdir -p "$E2E_WORK/mu/home/alice" "$E2E_WORK/mu/home/bob"
for i in 1 2 3 4; do
  printf 'From sender@example.org Mon Dec  7 08:00:00 2026\n'
  message $i | tr -d '\r'
  printf '\n'
done >"$E2E_WORK/mu/home/alice/INBOX"
MU_TLS_CERT="$certs/server.crt" MU_TLS_KEY="$certs/server.key"
mu_start "$E2E_WORK/mu" "alice:secret" "bob:not-the-one" || fail "no mailutils pop3d"

# On 127.0.0.12 (bounded, 150 s): a POP3 server whose greeting has an APOP timestamp; it
# refuses APOP and hangs up, and takes USER and PASS. It notes connections and commands.
apop=$((20000 + RANDOM % 20000))
python3 -c '
import socket, sys, time
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.12", int(sys.argv[1]))); s.listen(4); s.settimeout(150)
log = open(sys.argv[2], "a", buffering=1)
log.write("listening\n")
answers = {"USER": "+OK", "PASS": "+OK", "LIST": "+OK\r\n1 120\r\n.", "UIDL": "+OK\r\n1 one\r\n.", "QUIT": "+OK",
           "TOP": "+OK\r\nFrom: Scripted <s@example.org>\r\nSubject: Over USER and PASS\r\n\r\n.",
           "APOP": "-ERR [AUTH] no APOP secret for this user"}
while True:
    try: c, _ = s.accept()
    except OSError: break
    log.write("connection\n")
    c.settimeout(30)
    c.sendall(b"+OK ready <1896.697170952@127.0.0.12>\r\n")
    try:
        for line in c.makefile("rb"):
            word = line.decode("latin-1").split(" ")[0].strip().upper()
            log.write(word + "\n")
            c.sendall(answers.get(word, "-ERR").encode() + b"\r\n")
            if word in ("APOP", "QUIT"): break
    except OSError: pass
    c.close()
' "$apop" "$E2E_WORK/apop.log" &
E2E_PIDS+=("$!")
# The network-time peer: ten years (3652.5 days) ahead.
python3 -u "$(dirname "$0")/ntp_peer.py" serve 127.0.0.8 12310 0 315576000 >"$E2E_WORK/ntp.log" 2>&1 &
E2E_PIDS+=("$!")
for i in $(seq 1 50); do
  grep -q listening "$E2E_WORK/apop.log" 2>/dev/null && grep -q listening "$E2E_WORK/ntp.log" && break
  sleep 0.2
done
grep -q listening "$E2E_WORK/apop.log" && grep -q listening "$E2E_WORK/ntp.log" || fail "the scripted peers did not start"

write_phonebook '[ISP]' PhoneNumber=555-0100 StepDelay=20
write_settings '[DUN]' DialUpConnection=ISP UsernameDUN=joe "PasswordDUN=$E2E_SECRET" \
  '[Other]' AutoAdjustClock=1 AutoStartUp=0 TimerEnabled=1 TimerDelay=15 TimeServer=ntp://127.0.0.8:12310 \
  '[POP3]' 'Sound file=C:\nowhere\missing.wav' \
  '[Mail]' m0=alice m1=alice@localhost m2=bob@localhost m3=alice m4=alice@localhost m5=carol \
  '[POPS]' m0=127.0.0.1 m1=127.0.0.7 m2=127.0.0.7 m3=pops://127.0.0.1 m4=pops://127.0.0.7 "m5=127.0.0.12:$apop" \
  '[Password]' "m0=$E2E_SECRET" "m1=$E2E_SECRET" "m2=$E2E_SECRET" "m3=$E2E_SECRET" "m4=$E2E_SECRET" "m5=$E2E_SECRET" \
  '[Certificates]' "127.0.0.1=$fp" "127.0.0.7=$fp"

WINEDEBUG=err+all start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive click "Velmora " "Dial"
box=$(drive dialog 60) || fail "no warning about bob's refused login: $(drive listbox "Velmora ")"
grep -q "The Email server is not responding" <<<"$box" || fail "wrong box: $box"
drive dialogbutton - OK
drive waittext "Velmora " "17" 60 || fail "the count is not 17: $(drive listbox "Velmora ")"
notset="The time server's clock differs by 87660 hours: not set"
# The driver prints the texts in UTF-8.
for i in $(seq 1 100); do
  lines=$(drive listbox "Velmora " | tr '\a\t' '..')
  [ "$(tail -1 <<<"$lines")" = "$notset" ] && break
  sleep 0.2
done
mailbox="Jack Folded <jack@example.org>.This subject is folded across two lines
Résumé <cv@example.org>.Re: Cafénaïve
Big <big@example.org>.Two megabytes
Twice <twice@example.org>.First subject"
want="Mail for : alice
$mailbox
Mail for : alice@localhost
$mailbox
bob@localhost
@reason@
Mail for : alice
$mailbox
Mail for : alice@localhost
$mailbox
Mail for : carol
Scripted <s@example.org>.Over USER and PASS
$notset"
reason=$(sed -n '/^bob@localhost$/{n;p}' <<<"$lines")
grep -q "Bad login" <<<"$reason" || fail "no server's reason under bob's mailbox: $lines"
[ "$lines" = "${want/@reason@/$reason}" ] || fail "listed: $lines"
grep -q "Login: user=<alice>.*TLS" "$E2E_WORK/dovecot/dovecot.log" || fail "alice did not log in over TLS to dovecot"
said=$(tr '\n' ' ' <"$E2E_WORK/apop.log")
[ "${said%% LIST *}" = "listening connection CAPA APOP connection CAPA USER PASS" ] ||
  fail "carol was not checked over USER and PASS on a new connection: $said"
grep -q "NtSetSystemTime" "$E2E_WORK/app.log" && fail "the clock was stepped after connecting"

drive click "Velmora " "Adjust" || fail "no Adjust button"
box=$(drive dialog 30) || fail "no question before a step of ten years"
grep -q "The time server's clock differs from this computer's clock by 87660 hours" <<<"$box" || fail "wrong box: $box"
[ "$(drive defbutton 5)" = "&No" ] || fail "the default button is \"$(drive defbutton 5)\", not No"
drive dialogbutton - "&No" || fail "no No button: $box"
for i in $(seq 1 50); do
  [ "$(drive listbox "Velmora " | grep -cxF "$notset")" = 2 ] && break
  sleep 0.2
done
[ "$(drive listbox "Velmora " | grep -cxF "$notset")" = 2 ] || fail "no second line after No: $(drive listbox "Velmora ")"
grep -q "NtSetSystemTime" "$E2E_WORK/app.log" && fail "the clock was stepped after No"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
echo "realservers: ok"
