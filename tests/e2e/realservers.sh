#!/usr/bin/env bash
# Servers the project did not write, in one check after dialing. The same mailbox on
# dovecot (127.0.0.1) and GNU mailutils' pop3d (127.0.0.7), plain and over TLS (dovecot
# without session tickets, so its handshake ends with a ChangeCipherSpec record; mailutils
# with GnuTLS), is listed the same: folded From and Subject whole, raw UTF-8 as its
# characters, encoded words split by a fold joined, of two Subject lines the first, a 2 MB
# message among them. A wrong password keeps its box and lists the server's reason under the
# mailbox's name. (Our own scripted peers, such as a server refusing APOP or a time server
# years ahead, are played by the unit dialogues and clock_adjust.sh.)
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


write_phonebook '[ISP]' PhoneNumber=555-0100 StepDelay=20
write_settings '[DUN]' DialUpConnection=ISP UsernameDUN=joe "PasswordDUN=$E2E_SECRET" \
  '[Other]' AutoAdjustClock=0 AutoStartUp=0 TimerEnabled=1 TimerDelay=15 \
  '[POP3]' 'Sound file=C:\nowhere\missing.wav' \
  '[Mail]' m0=alice m1=alice@localhost m2=bob@localhost m3=alice m4=alice@localhost \
  '[POPS]' m0=127.0.0.1 m1=127.0.0.7 m2=127.0.0.7 m3=pops://127.0.0.1 m4=pops://127.0.0.7 \
  '[Password]' "m0=$E2E_SECRET" "m1=$E2E_SECRET" "m2=$E2E_SECRET" "m3=$E2E_SECRET" "m4=$E2E_SECRET" \
  '[Certificates]' "127.0.0.1=$fp" "127.0.0.7=$fp"

start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive click "Velmora " "Dial"
box=$(drive dialog 60) || fail "no warning about bob's refused login: $(drive listbox "Velmora ")"
grep -q "The Email server is not responding" <<<"$box" || fail "wrong box: $box"
drive dialogbutton - OK
drive waittext "Velmora " "16" 60 || fail "the count is not 16: $(drive listbox "Velmora ")"
lines=$(drive listbox "Velmora " | tr '\a\t' '..')  # the driver prints the texts in UTF-8
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
$mailbox"
reason=$(sed -n '/^bob@localhost$/{n;p}' <<<"$lines")
grep -q "Bad login" <<<"$reason" || fail "no server's reason under bob's mailbox: $lines"
[ "$lines" = "${want/@reason@/$reason}" ] || fail "listed: $lines"
grep -q "Login: user=<alice>.*TLS" "$E2E_WORK/dovecot/dovecot.log" || fail "alice did not log in over TLS to dovecot"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
echo "realservers: ok"
