#!/usr/bin/env bash
# The settings dialog's keyboard: Enter in the phone-number box or the mailbox boxes adds
# what was typed (their Add button is the default there) instead of closing the dialog and
# dropping it; Enter where Add is off adds and closes nothing; Enter elsewhere is OK. Add
# follows every change of the boxes' text: a paste with the box's own Paste, no key typed,
# enables it.
. "$(dirname "$0")/lib.bash"

D="Configure Velmora"
INI=$E2E_INI
write_settings '[DUN]' DialUpConnection=ISP UsernameDUN=joe '[Other]' AutoStartUp=0 AutoAdjustClock=0
key() { tr -d '\r' <"$INI" | awk -F= -v s="[$1]" -v k="$2" '/^\[/ { on = ($0 == s); next } on && $1 == k { print substr($0, length(k) + 2) }'; }
still_open() { sleep 0.5; drive visible "$D" || fail "$1 closed the dialog"; }
# Whether the button with this caption is shown and enabled.
enabled() { drive list "$D" | grep -qF "Button|$1|1|1|"; }

start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive click "Velmora " "Settings" || fail "no Settings button"
drive wait "$D" 20 >/dev/null || fail "the settings dialog did not open"

# A phone number typed, then Enter: added, the dialog stays.
drive settext "$D" EdtPhoneNumber "555-0199"
drive keys "$D" enter
still_open "Enter in the phone-number box"
[ "$(drive listbox "$D")" = "555-0199" ] || fail "Enter did not add the number: $(drive listbox "$D")"

# The mailbox: server and account typed, the password pasted.
drive tab "$D" "Mail" || fail "no Mail tab"
drive settext "$D" edt_hostname "127.0.0.1"
drive settext "$D" edt_username "alice"
enabled "Add mailbox to the list --->" && fail "Add is on without a password"
drive paste "$D" edt_password "secret"
sleep 0.5
enabled "Add mailbox to the list --->" || fail "a pasted password did not turn Add on"
drive keys "$D" enter
still_open "Enter in the mailbox boxes"
[ "$(drive rows "$D" ListView1)" = "alice|127.0.0.1" ] || fail "Enter did not add the mailbox: $(drive rows "$D" ListView1)"

# The account emptied: Add goes off, and Enter neither adds nor closes.
drive settext "$D" edt_username ""
enabled "Add mailbox to the list --->" && fail "Add stayed on with an empty account"
drive keys "$D" enter
still_open "Enter with an incomplete mailbox"
[ "$(drive rows "$D" ListView1)" = "alice|127.0.0.1" ] || fail "rows after Enter with Add off: $(drive rows "$D" ListView1)"

# Out of the boxes (Tab to the list: Add and Remove are off), Enter is OK.
drive keys "$D" tab tab
drive keys "$D" enter
drive waitgone "$D" 20 || fail "Enter outside the boxes did not close the dialog"
[ "$(key PhoneNumber m0)" = "555-0199" ] || fail "the number was not saved: $(cat "$INI")"
[ "$(key Mail m0)" = "alice" ] || fail "the mailbox was not saved: $(cat "$INI")"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
echo "settings_keys: ok"
