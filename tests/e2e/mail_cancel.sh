#!/usr/bin/env bash
# Cancel in the progress window during a mail check that a silent server holds up: the check
# stops at once, says so in the list, shows no failure box and leaves the other mailboxes.
. "$(dirname "$0")/lib.bash"

port=$((20000 + RANDOM % 20000))
# This test's own silent server on 127.0.0.10 (bounded, 60 s): accepts and says nothing,
# noting each connection.
python3 -c '
import socket, sys, time
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.10", int(sys.argv[1]))); s.listen(4); s.settimeout(60)
held = []
end = time.time() + 60
while time.time() < end:
    try: c, _ = s.accept()
    except OSError: break
    held.append(c); open(sys.argv[2], "a").write("connected\n")
' "$port" "$E2E_WORK/connections" &
E2E_PIDS+=("$!")

write_phonebook '[ISP]' PhoneNumber=555-0100 StepDelay=20
dial_settings ISP TimerEnabled=1 TimerDelay=99 '[Mail]' m0=alice m1=bob \
  '[POPS]' "m0=127.0.0.10:$port" "m1=127.0.0.10:$port" '[Password]' "m0=$E2E_SECRET" "m1=$E2E_SECRET"
start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive click "Velmora " "Dial"
for _ in $(seq 1 100); do [ -s "$E2E_WORK/connections" ] && break; sleep 0.2; done
[ -s "$E2E_WORK/connections" ] || fail "the check never reached the server"
drive waittext "" "Cancel" 20 || fail "no Cancel in the progress window: $(drive tops -)"
start=$(date +%s.%N)
drive click "" "Cancel"
for _ in $(seq 1 50); do drive listbox "Velmora " | grep -qx "alice: mail check cancelled" && break; sleep 0.1; done
took=$(python3 -c 'import sys, time; print(round(time.time() - float(sys.argv[1]), 1))' "$start")
drive listbox "Velmora " | grep -qx "alice: mail check cancelled" || fail "no cancel line: $(drive listbox "Velmora ")"
python3 -c 'import sys; sys.exit(0 if float(sys.argv[1]) <= 5 else 1)' "$took" || fail "the check stopped $took s after Cancel"
box=$(drive dialog 0) && fail "a box after Cancel: $box"
[ "$(wc -l <"$E2E_WORK/connections")" = 1 ] || fail "bob's mailbox was still checked"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
echo "mail_cancel: ok"
