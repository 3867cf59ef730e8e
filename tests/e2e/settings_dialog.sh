#!/usr/bin/env bash
# The settings dialog through its own windows: the Dial button without a password opens it;
# the simulated phonebook's entries are offered; a change on every page and Enter store
# exactly those settings; Escape stores nothing; the start-with-Windows entry follows the
# check box; a missing entry and a mail check without a mailbox bring the dialog up.
. "$(dirname "$0")/lib.bash"

D="Configure Velmora"
INI=$E2E_INI
write_phonebook '[ISP]' PhoneNumber=555-0100 StepDelay=20 '[Other]' PhoneNumber=555-0200 SavedUser=ouser SavedPassword=opw
write_settings '[DUN]' DialUpConnection=ISP UsernameDUN=joe '[Other]' AutoStartUp=0 AutoAdjustClock=0

# One key of the settings file, or <none>.
key() { tr -d '\r' <"$INI" | awk -F= -v s="[$1]" -v k="$2" '/^\[/ { on = ($0 == s); next } on && $1 == k { print substr($0, length(k) + 2); f = 1 } END { if (!f) print "<none>" }'; }
expect_key() { [ "$(key "$1" "$2")" = "$3" ] || fail "$1/$2 is \"$(key "$1" "$2")\", not \"$3\""; }
run_value() {
  local root
  for root in HKLM HKCU; do
    wine reg query "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Run" /v Velmora 2>/dev/null | tr -d '\r' | grep Velmora
  done
}
open_dialog() {
  drive click "Velmora " "Settings" || fail "no Settings button"
  drive wait "$D" 20 >/dev/null || fail "the settings dialog did not open"
}

start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
run_value | grep -q . && fail "a start-with-Windows entry before any was asked for"

# No password yet: Dial opens the settings instead of dialling.
drive click "Velmora " "Dial"
drive wait "$D" 20 >/dev/null || fail "Dial with an empty password did not open the settings"
drive text "$D" "Select a Dial Up Networking entry to connect to the Internet" "Stay Online no matter what" \
  "Properties..." "Add new connection" "OK" "Cancel" || fail "the first page is not in front: $(drive list "$D")"
[ "$(drive gettext "$D" ComboBox3)" = "ISP" ] || fail "the saved entry is not shown"

# "Dial-up connection": the phonebook's entries are listed; choosing one fills its saved
# credentials; the password box shows nothing to another program.
drive settext "$D" ComboBox3 "Other"
[ "$(drive items "$D" ComboBox3 | tr '\n' ' ')" = "ISP Other " ] || fail "entries: $(drive items "$D" ComboBox3)"
[ "$(drive gettext "$D" edt_usernameDUN)" = "ouser" ] || fail "the entry's saved user name was not filled in"
drive settext "$D" edt_passwordDUN "newpw"
[ -z "$(drive gettext "$D" edt_passwordDUN)" ] || fail "another program could read the password"

# "Automate": start with Windows, hang up daily at 7:05.
drive tab "$D" "Automate" || fail "no Automate tab"
sleep 0.5
[ "$(drive state "$D" TabAutomate)" = "1 1" ] || fail "the Automate page did not come to the front"
[ "$(drive state "$D" ComboBox1)" = "1 0" ] || fail "the hour box is enabled before the hang-up is"
drive click "$D" "Execute on Windows Start-Up"
drive click "$D" "Always disconnect "
sleep 0.5
[ "$(drive state "$D" ComboBox1)" = "1 1" ] || fail "checking the hang-up did not enable the hour box"
drive select "$D" ComboBox1 7
drive select "$D" ComboBox2 1

# "Mail": one mailbox.
drive tab "$D" "Mail" || fail "no Mail tab"
drive settext "$D" edt_hostname "127.0.0.1"
drive settext "$D" edt_username "alice"
drive settext "$D" edt_password "s3cr3t-Pw"
drive click "$D" "Add mailbox to the list --->"
sleep 0.5
[ "$(drive rows "$D" ListView1)" = "alice|127.0.0.1" ] || fail "mailbox rows: $(drive rows "$D" ListView1)"
# Not even with its password character switched off does the box give its text away, and
# no window of the program (no hidden list either) holds the mailbox's password.
[ -z "$(drive unmask "$D" edt_password)" ] || fail "the password box gave its text to another program"
drive holds "$D" "alice" >/dev/null || fail "the probe does not see the user name"
where=$(drive holds "$D" "s3cr3t-Pw") && fail "a window of the program holds the password: $where"

# "Mail options" and "AutoRun".
drive tab "$D" "Mail options" || fail "no Mail options tab"
drive settext "$D" Edit1 "7"
drive tab "$D" "AutoRun" || fail "no AutoRun tab"
drive settext "$D" WebBrowser 'C:\browser.exe'

# Enter is OK.
drive keys "$D" enter
drive waitgone "$D" 20 || fail "Enter did not close the dialog"
expect_key DUN DialUpConnection Other
expect_key DUN UsernameDUN ouser
[ "$(key DUN PasswordDUN | wc -c)" -eq 26 ] || fail "the password was not stored"
expect_key Other AutoStartUp 1
expect_key Other AutoHangUp 1
expect_key Other HangUpHour 7
expect_key Other HangUpMinutes 5
expect_key Other TimerDelay 7
expect_key Other AutoDial 0
expect_key Other StayOnline 1
expect_key Other TimeServer time.nist.gov
expect_key Mail m0 alice
expect_key POPS m0 127.0.0.1
expect_key Browser "Web browser" 'C:\browser.exe'
# The main window applied the options at once: the program now starts with Windows.
run_value | grep -q 'velmora.exe" /minimize' || fail "no start-with-Windows entry after OK: $(run_value)"

# Escape is Cancel: nothing is written, and the next opening shows the saved settings.
cp "$INI" "$E2E_WORK/saved.ini"
open_dialog
drive tab "$D" "AutoRun"
drive settext "$D" WebBrowser 'C:\other.exe'
drive keys "$D" escape
drive waitgone "$D" 20 || fail "Escape did not close the dialog"
cmp -s "$INI" "$E2E_WORK/saved.ini" || fail "Cancel wrote the settings file"
open_dialog
[ "$(drive gettext "$D" WebBrowser)" = 'C:\browser.exe' ] || fail "the unconfirmed edit survived Cancel"

# Unchecking "Execute on Windows Start-Up" removes the entry.
drive tab "$D" "Automate"
drive click "$D" "Execute on Windows Start-Up"
drive click "$D" "OK"
drive waitgone "$D" 20 || fail "OK did not close the dialog"
run_value | grep -q . && fail "the start-with-Windows entry is still there: $(run_value)"
expect_key Other AutoStartUp 0

# An entry the phonebook does not have: the dial explains and opens the settings.
open_dialog
drive settext "$D" ComboBox3 "Missing"
drive settext "$D" edt_usernameDUN "joe"  # an unknown entry has no saved credentials
drive settext "$D" edt_passwordDUN "pw"
drive click "$D" "OK"
drive waitgone "$D" 20 || fail "OK did not close the dialog"
drive click "Velmora " "Dial"
box=$(drive dialog 30) || fail "no box about the missing entry"
grep -q "does'nt exist" <<<"$box" || fail "wrong box: $box"
drive dialogbutton - OK
drive wait "$D" 20 >/dev/null || fail "the settings did not open after the missing entry"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"

# A mail check with no mailbox brings up the "Mail" page.
dial_settings ISP TimerEnabled=1
start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear (mail)"
drive click "Velmora " "Dial"
box=$(drive dialog 40) || fail "no box about the missing mailbox"
grep -q "Please configure your email account correctly" <<<"$box" || fail "wrong box: $box"
drive dialogbutton - OK
drive wait "$D" 20 >/dev/null || fail "the settings did not open for the mailbox"
[ "$(drive state "$D" TabMail)" = "1 1" ] || fail "the Mail page is not in front"
[ "$(drive state "$D" TabDialUp | cut -d' ' -f1)" = 0 ] || fail "the first page is still shown"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end (mail)"
echo "settings_dialog: ok"
