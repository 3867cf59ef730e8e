#!/usr/bin/env bash
# The help file beside the program opens in the system's help viewer: "Help Topics" shows
# the contents, its Index the keywords, F1 in the main window shows the main window's page,
# F1 in the schedule dialog the schedule's, and F1 on a message box the page of that box.
. "$(dirname "$0")/lib.bash"

cp "$E2E_WIN32_DIR/velmora.hlp" "$E2E_WORK/"
write_settings '[Other]' AutoStartUp=0

# Waits (bounded) until the viewer shows a page whose text has $1; prints the page.
viewer_shows() {
  local i page=""
  for i in $(seq 1 40); do
    page=$(drive richtext "Velmora Help" 2>/dev/null)
    grep -qF "$1" <<<"$page" && break
    sleep 0.5
  done
  echo "$page"
  grep -qF "$1" <<<"$page"
}

start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive menu "Velmora " "&Help" "Help &Topics" || fail "no Help Topics"
drive wait "Velmora Help" 60 >/dev/null || fail "no help viewer: $(drive tops -)"
page=$(viewer_shows "Velmora Help Contents") || fail "viewer does not show the contents: $page"
grep -qF "Error messages" <<<"$page" || fail "contents lack their links: $page"
# The viewer's Index lists the help file's keywords, every server form among them.
drive click "Velmora Help" "&Index" || fail "the viewer has no Index button: $(drive list "Velmora Help")"
INDEX="Help topics: Velmora Help"
drive wait "$INDEX" 10 >/dev/null || fail "no index: $(drive tops -)"
index=$(drive listbox "$INDEX")
for k in "pop3://" "pops://" "pop3+starttls://" "imap://" "imaps://" "imap+starttls://" "ntp://" "certificate"; do
  grep -qxF "$k" <<<"$index" || fail "the Index lacks $k: $index"
done
drive keys "$INDEX" escape
drive waitgone "$INDEX" 10 || fail "Escape did not close the index"

drive press "Velmora " f1 || fail "could not press F1"
page=$(viewer_shows "The main window shows the state") || fail "F1 did not open the main window's page: $page"

SCHEDULE="Scheduling program to execute unattended"
drive menu "Velmora " "&Schedule" "&Dial and execute progs" || fail "no schedule menu"
drive wait "$SCHEDULE" 10 >/dev/null || fail "the schedule dialog did not open"
drive press "$SCHEDULE" f1 || fail "could not press F1 in the schedule dialog"
page=$(viewer_shows "Choose Schedule, Dial and execute progs") || fail "F1 in the schedule dialog: $page"
drive syscmd "$SCHEDULE" close

drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
# The program closes the help window when it ends.
drive waitgone "Velmora Help" 20 || fail "help viewer still open after the program ended"

# A refused password: F1 on the box that explains it opens that box's page.
write_phonebook '[Strict]' PhoneNumber=555-0300 User=joe Password=right StepDelay=40
dial_settings Strict
start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear (691)"
drive click "Velmora " "Dial"
drive dialog 30 >/dev/null || fail "no box for the refused password"
drive press - f1 || fail "could not press F1 on the box"
drive wait "Velmora Help" 60 >/dev/null || fail "F1 on the box opened no help: $(drive tops -)"
page=$(viewer_shows "means your provider refused the log-on") || fail "F1 on the 691 box: $page"
drive dialogbutton - OK || fail "could not close the box"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end (691)"

echo "help_file: ok"
