#!/usr/bin/env bash
# Saving the settings on a full disk: the program runs from a tiny file system with no room
# left for a second copy of its settings file. OK with a change that makes the file grow
# leaves velmora.ini exactly as it was, every mailbox included, and a box says that the
# settings could not be saved; with room again, the next OK saves what was entered.
. "$(dirname "$0")/lib.bash"

D="Configure Velmora"
TINY="$E2E_WORK/tiny"
INI="$TINY/velmora.ini"
mkdir -p "$TINY"
saving_cleanup() {
  local p
  for p in "${E2E_PIDS[@]}"; do kill "$p" 2>/dev/null; done
  wineserver -k 2>/dev/null
  umount "$TINY" 2>/dev/null || umount -l "$TINY" 2>/dev/null
  e2e_cleanup
}
trap saving_cleanup EXIT

# A settings file of a few pages: twenty mailboxes, a comment and a section of another program.
{
  printf '; written by hand\r\n'
  printf '[Other]\r\nAutoAdjustClock=0\r\nAutoStartUp=0\r\nTimeServer=127.0.0.1\r\n'
  for s in Mail POPS Password; do
    printf '[%s]\r\n' "$s"
    for i in $(seq 0 19); do
      case $s in
        Mail) printf 'm%d=account-number-%02d-with-a-long-name\r\n' "$i" "$i" ;;
        POPS) printf 'm%d=pop%02d.mail.provider.example.net\r\n' "$i" "$i" ;;
        Password) printf 'm%d=5118547184477095129547184\r\n' "$i" ;;
      esac
    done
  done
  printf '[Someone else]\r\nkey=value\r\n'
} >"$E2E_WORK/velmora.ini.orig"

# Just the pages the program and its settings take: the last page of the file has some room
# (about 2 KB), but a second copy of it has none.
pages() { echo $((($(stat -c %s "$1") + 4095) / 4096)); }
size=$((($(pages "$E2E_WORK/velmora.exe") + $(pages "$E2E_WORK/velmora.ini.orig")) * 4096))
mount -t tmpfs -o "size=$size,mode=0777" tmpfs "$TINY" || fail "could not mount a tmpfs"
cp "$E2E_WORK/velmora.exe" "$E2E_WORK/velmora.ini.orig" "$TINY/" 2>/dev/null
mv "$TINY/velmora.ini.orig" "$INI" || fail "the settings file does not fit"
cmp -s "$INI" "$E2E_WORK/velmora.ini.orig" || fail "the copy of the settings is not whole"

( cd "$TINY" && exec wine ./velmora.exe ) >"$E2E_WORK/app.log" 2>&1 &
APP_PID=$!
E2E_PIDS+=("$APP_PID")
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"

open_settings() {
  drive click "Velmora " "Settings" || fail "no Settings button"
  drive wait "$D" 20 >/dev/null || fail "the settings dialog did not open"
  drive tab "$D" "Automate" || fail "no Automate tab"
  sleep 0.5
}
open_settings
drive settext "$D" edt_timeServer "a-much-longer-name-of-a-time-server.example.org"
drive click "$D" "OK" || fail "no OK button"
box=$(drive dialog 30) || fail "no box about the failed save"
grep -q "The settings could not be saved:" <<<"$box" || fail "wrong box: $box"
drive dialogbutton - OK
cmp -s "$INI" "$E2E_WORK/velmora.ini.orig" || fail "the settings file changed: $(tr -d '\r' <"$INI" | head -c 600)"
[ -e "$INI.new" ] && fail "the scratch file was left behind"

# Room again: the next OK saves what was entered, and keeps everything else.
mount -o remount,size=$((size + 65536)) "$TINY" || fail "could not grow the tmpfs"
drive waitgone "$D" 10 >/dev/null
open_settings
[ "$(drive gettext "$D" edt_timeServer)" = "a-much-longer-name-of-a-time-server.example.org" ] ||
  fail "the value entered is no longer in effect: $(drive gettext "$D" edt_timeServer)"
drive click "$D" "OK"
drive waitgone "$D" 10 >/dev/null || fail "the dialog stayed open: $(drive dialog 1)"
tr -d '\r' <"$INI" | grep -qx 'TimeServer=a-much-longer-name-of-a-time-server.example.org' || fail "not saved"
tr -d '\r' <"$INI" | grep -qx 'm19=account-number-19-with-a-long-name' || fail "a mailbox was lost"
tr -d '\r' <"$INI" | grep -qx '; written by hand' || fail "the comment was lost"
tr -d '\r' <"$INI" | grep -qx 'key=value' || fail "the other program's section was lost"

# A value set from outside (WM_SETTEXT: no key, no change notification) is what OK saves.
drive waitgone "$D" 10 >/dev/null
open_settings
drive wmsettext "$D" edt_timeServer "set.from.outside.example.org" || fail "could not set the text"
drive click "$D" "OK"
drive waitgone "$D" 10 >/dev/null || fail "the dialog stayed open: $(drive dialog 1)"
tr -d '\r' <"$INI" | grep -qx 'TimeServer=set.from.outside.example.org' ||
  fail "the text set from outside was not saved: $(tr -d '\r' <"$INI" | grep TimeServer)"
echo "saving: ok"
