#!/usr/bin/env bash
# One start converts a settings file of the older mailbox layout and shows the settings it
# read; closing the program writes the cumulative time online back.
. "$(dirname "$0")/lib.bash"

INI=$E2E_INI
write_settings '[POP3]' Server=pop.example '[Mailboxes]' m0=alice m1=bob \
  '[Mail]' m0=stale m1=stale m2=stale '[Other]' TimeOnLineHours=5 TimeOnLineMins=7

# The keys of one section as "key=value" lines, in file order.
section() { tr -d '\r' <"$INI" | awk -v s="[$1]" '/^\[/ { on = ($0 == s); next } on && /=/'; }

start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
# The window may be found a moment before start-up has filled it in: look for up to 10 s.
for i in $(seq 1 20); do drive text "Velmora " "5:07:00" >/dev/null && break; sleep 0.5; done
drive text "Velmora " "5:07:00" >/dev/null || fail "the time online read from the file is not shown: $(drive list "Velmora ")"
drive syscmd "Velmora " close || fail "could not close"
wait_exit "$APP_PID" 30 || fail "program did not end within 30 s"

[ "$(section Mail | tr '\n' ' ')" = "m0=alice m1=bob " ] || fail "Mail is: $(section Mail)"
[ "$(section POPS | tr '\n' ' ')" = "m0=pop.example m1=pop.example " ] || fail "POPS is: $(section POPS)"
tr -d '\r' <"$INI" | grep -q '^\[Mailboxes\]' && fail "the older Mailboxes section is still there"
[ "$(section Other | grep -c '^TimeOnLine')" -eq 3 ] || fail "closing did not write the time online: $(section Other)"
section Other | grep -qx 'TimeOnLineHours=5' || fail "the time online changed: $(section Other)"
echo "settings_file: ok"
