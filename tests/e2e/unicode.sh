#!/usr/bin/env bash
# Text in every script on a Western system (code page 1252): the program, copied into a
# folder named "Ωmega Łódź", reads a settings file of the old kind (ANSI, "é" in a value) as
# it stands; logs in to dovecot over POP3 and IMAP with the password "Grüße€"; lists
# subjects and senders in Cyrillic (KOI8-R, UTF-8), Greek, Chinese (GB2312, raw UTF-8),
# Japanese (ISO-2022-JP) and an emoji exactly, and the balloon names the first sender;
# opens its help, plays its sound, lists and opens favorites named in Japanese, Greek and
# Russian; leaves the file ANSI while nothing needs more; and keeps a mail server named
# "Ωmega" byte for byte (the file then in Unicode) across a restart.
. "$(dirname "$0")/lib.bash"
. "$(dirname "$0")/dovecot_peer.bash"
HOST=127.0.0.12
trap 'dovecot_end "$E2E_WORK/mail" $HOST 110 143; e2e_cleanup' EXIT

# The messages: sender|subject, each header in its own encoding.
msgs=$(python3 - <<'PY'
import base64
def word(cs, text):
    return "=?%s?B?%s?=" % (cs, base64.b64encode(text.encode(cs.lower())).decode())
rows = [
    (word("KOI8-R", "Иван") + " <ivan@example.com>", word("KOI8-R", "Привет из Москвы")),
    ("Olga <olga@example.com>", word("UTF-8", "Здравствуйте")),
    (word("ISO-8859-7", "Νίκος") + " <nikos@example.com>", word("ISO-8859-7", "Καλημέρα")),
    (word("GB2312", "李雷") + " <li@example.com>", word("GB2312", "你好世界")),
    ("王芳 <wang@example.com>", "中文邮件"),
    (word("ISO-2022-JP", "山田") + " <yamada@example.com>", word("ISO-2022-JP", "日本語のメール")),
    ("Party <party@example.com>", word("UTF-8", "Let's celebrate 🎉")),
]
print(";".join(f + "|" + s for f, s in rows))
PY
)
want="Иван <ivan@example.com>.Привет из Москвы
Olga <olga@example.com>.Здравствуйте
Νίκος <nikos@example.com>.Καλημέρα
李雷 <li@example.com>.你好世界
王芳 <wang@example.com>.中文邮件
山田 <yamada@example.com>.日本語のメール
Party <party@example.com>.Let's celebrate 🎉"
PASS="Grüße€"
dovecot_users "$E2E_WORK/mail" "alice:$PASS:$msgs"
dovecot_write_config "$E2E_WORK/mail" $HOST pop3:110 imap:143
dovecot_run "$E2E_WORK/mail" $HOST 110 143 || fail "no mail server"

# The program in a folder whose name code page 1252 cannot hold, with its help and sound.
DIR="$E2E_WORK/Ωmega Łódź"
mkdir -p "$DIR"
cp "$E2E_WIN32_DIR/velmora.exe" "$E2E_WIN32_DIR/velmora.hlp" "$E2E_WIN32_DIR/man.wav" "$DIR/"
INI="$DIR/velmora.ini"
write_phonebook '[ISP]' PhoneNumber=555-0100 StepDelay=20
# The password as an older version stored it: its bytes in code page 1252.
pw=$(python3 -c '
import sys
b = sys.argv[1].encode("cp1252"); buf = bytearray(256); buf[0] = len(b); laid = b
while len(laid) < 10: laid += laid
buf[1:1 + min(len(laid), 255)] = laid[:255]
m = max(10, len(b) + 2 if len(b) % 2 == 0 else len(b) + 1)
print("".join(str(buf[2 * k] + 256 * buf[2 * k + 1] + 21739) for k in range(m // 2)))' "$PASS")
printf '%s\r\n' '[DUN]' DialUpConnection=ISP UsernameDUN=José "PasswordDUN=$E2E_SECRET" \
  '[Other]' AutoAdjustClock=0 AutoStartUp=0 TimerEnabled=1 TimerDelay=15 \
  '[Mail]' m0=alice m1=alice '[POPS]' "m0=$HOST" "m1=imap://$HOST" '[Password]' "m0=$pw" "m1=$pw" |
  iconv -f UTF-8 -t CP1252 >"$INI"
grep -q $'José\r' <(iconv -f CP1252 -t UTF-8 "$INI") || fail "the settings file was not written in code page 1252"

# Favorites in three scripts; each opens a text file of the same name in the notepad.
fav="$WINEPREFIX/drive_c/users/$(whoami)/Favorites"
mkdir -p "$fav/Ελληνικά"
for n in 日本語 Привет; do echo "$n" >"$E2E_WORK/$n.txt"; done
wine reg add 'HKLM\Software\Classes\.txt' /ve /d txtfile /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Classes\txtfile\shell\open\command' /ve /d 'C:\windows\notepad.exe "%1"' /f >/dev/null 2>&1
url() { printf '[InternetShortcut]\r\nURL=%s\r\n' "$(winepath -w "$E2E_WORK/$1.txt")" | iconv -f UTF-8 -t UTF-16 >"$2"; }
url 日本語 "$fav/日本語.url"
url Привет "$fav/Ελληνικά/Привет.url"

# A sound device for Wine that plays into nothing (the machine has no sound card).
printf 'pcm.!default { type null }\n' >"$E2E_WORK/asound.conf"
start_here() {
  ( cd "$DIR" && ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:$E2E_WORK/asound.conf" exec wine ./velmora.exe ) \
    >"$E2E_WORK/app.log" 2>&1 &
  APP_PID=$!
  E2E_PIDS+=("$APP_PID")
  drive wait "Velmora " 60 >/dev/null || fail "the program in \"$DIR\" did not start"
}
D="Configure Velmora"
start_here

# The mail check: both mailboxes log in and list every message exactly, as wide text.
drive click "Velmora " "Dial"
drive waittext "Velmora " "14" 60 || fail "not 14 messages: $(drive listbox "Velmora ")"
lines=$(drive listbox "Velmora " | tr '\a\t' '..')
pop=$(sed -n '2,8p' <<<"$lines") imap=$(sed -n '10,16p' <<<"$lines")
[ "$pop" = "$want" ] || fail "POP3 messages listed as: $lines"
[ "$imap" = "$want" ] || fail "IMAP messages listed as: $lines"
balloon=$(drive balloon 20) || fail "no balloon"
grep -qF "from Иван" <<<"$balloon" || fail "the balloon does not name the first sender: $balloon"
# The new-mail sound from the program's own folder played: no new-mail icon stands in for it.
[ "$(drive trayicon "$(winepath -w "$DIR/velmora.exe")" MAINICON BMAIL_ICON)" = MAINICON ] ||
  fail "the new-mail sound did not play: $(tail -3 "$E2E_WORK/app.log")"

drive menu "Velmora " "&Help" "Help &Topics" || fail "no Help Topics"
drive wait "Velmora Help" 60 >/dev/null || fail "the help file in \"$DIR\" did not open: $(drive tops -)"
drive syscmd "Velmora Help" close

# The favorites menu: the folder Ελληνικά, then 日本語; each opens its address.
opened() {
  for i in $(seq 1 40); do
    drive tops - | grep -qF "|$1.txt - Notepad|1|" && return 0
    sleep 0.5
  done
  fail "the favorite $1 was not opened: $(drive tops - | grep '|1|')"
}
favorite() {
  drive clickat "Velmora " "Favorites" 52 30 || fail "no Favorites button"
  sleep 1.5
  drive keys "Velmora " "$@" || fail "could not work the menu"
}
favorite down down enter
opened 日本語
favorite down right enter
opened Привет

drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
[ "$(head -c 2 "$INI" | od -An -tx1 | tr -d ' ')" != fffe ] || fail "the file became Unicode with nothing to need it"
LC_ALL=C grep -q $'^UsernameDUN="\\?Jos\xe9' "$INI" || fail "the ANSI value changed: $(grep UsernameDUN "$INI" | od -c | head -2)"

# A mail server named "Ωmega": the file turns Unicode, whole, and gives it back after a restart.
start_here
drive click "Velmora " "Settings" && drive wait "$D" 20 >/dev/null || fail "no settings dialog"
drive tab "$D" "Mail" || fail "no Mail tab"
drive settext "$D" edt_hostname "Ωmega"
drive settext "$D" edt_username "omega"
drive settext "$D" edt_password "x"
drive click "$D" "Add mailbox to the list --->"
drive click "$D" "OK"
drive waitgone "$D" 20 || fail "OK did not close the dialog"
[ "$(head -c 2 "$INI" | od -An -tx1 | tr -d ' ')" = fffe ] || fail "the file did not become Unicode"
text=$(iconv -f UTF-16 -t UTF-8 "$INI" | tr -d '\r')
grep -qx 'm2="\?Ωmega"\?' <<<"$text" || fail "the server was not saved: $text"
grep -qx 'UsernameDUN="\?José"\?' <<<"$text" || fail "the older values did not survive the conversion: $text"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
start_here
drive click "Velmora " "Settings" && drive wait "$D" 20 >/dev/null || fail "no settings dialog after the restart"
drive tab "$D" "Mail"
rows=$(drive rows "$D" ListView1)
[ "$(sed -n 3p <<<"$rows" | od -An -tx1)" = "$(printf 'omega|Ωmega\n' | od -An -tx1)" ] || fail "the server reads back as: $rows"
drive keys "$D" escape
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
echo "unicode: ok"
