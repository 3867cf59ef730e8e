#!/usr/bin/env bash
# The same mailbox on two POP3 servers the project did not write, dovecot (127.0.0.1) and
# GNU mailutils' pop3d (127.0.0.7), is listed the same: folded From and Subject whole, raw
# UTF-8 as its characters, encoded words split by a fold joined, a 2 MB message among them.
# A wrong password keeps its box and lists the server's reason under the mailbox's name.
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
  esac
  printf 'To: alice@localhost\r\nDate: Mon, 7 Dec 2026 08:00:00 +0000\r\n\r\nHello.\r\n'
  [ "$1" = 3 ] && head -c 1500000 /dev/zero | base64 -w 76 | sed 's/$/\r/'
  return 0
}

pop3_start "$E2E_WORK/dovecot" "alice:secret" || fail "no dovecot"
for i in 1 2 3; do message $i >"$E2E_WORK/dovecot/home/alice/Maildir/new/$i.velmora:2,"; done
chown -R "$(id -u nobody):$(id -g nobody)" "$E2E_WORK/dovecot/home"

mkdir -p "$E2E_WORK/mu/home/alice" "$E2E_WORK/mu/home/bob"
for i in 1 2 3; do
  printf 'From sender@example.org Mon Dec  7 08:00:00 2026\n'
  message $i | tr -d '\r'
  printf '\n'
done >"$E2E_WORK/mu/home/alice/INBOX"
mu_start "$E2E_WORK/mu" "alice:secret" "bob:not-the-one" || fail "no mailutils pop3d"

export VELMORA_PHONEBOOK="$E2E_WORK/phonebook.ini"
printf '[ISP]\nPhoneNumber=555-0100\nStepDelay=20\n' >"$VELMORA_PHONEBOOK"
secret=5118547184477095129547184  # "secret" as the settings file stores it
{
  printf '[DUN]\r\nDialUpConnection=ISP\r\nUsernameDUN=joe\r\nPasswordDUN=%s\r\n' "$secret"
  printf '[Other]\r\nAutoAdjustClock=0\r\nTimerEnabled=1\r\nTimerDelay=15\r\n'
  printf '[POP3]\r\nSound file=%s\r\n' 'C:\nowhere\missing.wav'
  printf '[Mail]\r\nm0=alice\r\nm1=alice@localhost\r\nm2=bob@localhost\r\n'
  printf '[POPS]\r\nm0=127.0.0.1\r\nm1=127.0.0.7\r\nm2=127.0.0.7\r\n'
  printf '[Password]\r\nm0=%s\r\nm1=%s\r\nm2=%s\r\n' "$secret" "$secret" "$secret"
} >"$E2E_WORK/velmora.ini"

start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive click "Velmora " "Dial"
box=$(drive dialog 60) || fail "no warning about bob's refused login: $(drive listbox "Velmora ")"
grep -q "The Email server is not responding" <<<"$box" || fail "wrong box: $box"
drive dialogbutton - OK
drive waittext "Velmora " "6" 30 || fail "the count is not 6: $(drive listbox "Velmora ")"
# The driver prints in the ANSI code page (Windows-1252 here).
lines=$(drive listbox "Velmora " | iconv -f CP1252 -t UTF-8)
want="Jack Folded <jack@example.org>.This subject is folded across two lines
Résumé <cv@example.org>.Re: Cafénaïve
Big <big@example.org>.Two megabytes"
dove=$(sed -n '/^Mail for : alice$/,/^Mail for : alice@localhost$/p' <<<"$lines" | sed '1d;$d')
mu=$(sed -n '/^Mail for : alice@localhost$/,/^bob@localhost$/p' <<<"$lines" | sed '1d;$d')
[ "$(tr '\a\t' '..' <<<"$dove")" = "$want" ] || fail "dovecot's messages listed as: $dove"
[ "$(tr '\a\t' '..' <<<"$mu")" = "$want" ] || fail "mailutils' messages listed as: $mu"
reason=$(sed -n '/^bob@localhost$/{n;p}' <<<"$lines")
grep -q "Bad login" <<<"$reason" || fail "no server's reason under bob's mailbox: $lines"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
echo "mail_realservers: ok"
