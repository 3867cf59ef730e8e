#!/usr/bin/env bash
# A mailbox set to TLS from the first byte (pops://) whose port speaks plain POP3: the
# greeting cannot start a TLS record, so the check gives up at once, within 10 s of
# connecting, with the usual failure box and a line in the list saying why.
. "$(dirname "$0")/lib.bash"

port=$((20000 + RANDOM % 20000))
accepted="$E2E_WORK/accepted"
# A plain POP3 peer of this test's own on 127.0.0.10: greets, then waits (bounded, 90 s).
python3 -c '
import socket, sys, time
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.10", int(sys.argv[1]))); s.listen(4); s.settimeout(90)
held = []
end = time.time() + 90
while time.time() < end:
    try: c, _ = s.accept()
    except OSError: break
    open(sys.argv[2], "a").write("%f\n" % time.time())
    c.sendall(b"+OK ready\r\n"); held.append(c)
' "$port" "$accepted" &
E2E_PIDS+=("$!")

write_phonebook '[ISP]' PhoneNumber=555-0100 StepDelay=20
dial_settings ISP TimerEnabled=0 \
  '[Mail]' m0=alice \
  '[POPS]' "m0=pops://127.0.0.10:$port" \
  '[Password]' "m0=$E2E_SECRET"

start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive click "Velmora " "Dial"
box=$(drive dialog 60) || fail "no failure box: $(drive listbox "Velmora ")"
shown=$(date +%s.%N)
[ -s "$accepted" ] || fail "the program never connected"
grep -q "not responding" <<<"$box" || fail "wrong box: $box"
took=$(python3 -c 'import sys; print(float(sys.argv[1]) - float(open(sys.argv[2]).readline()))' "$shown" "$accepted")
python3 -c 'import sys; sys.exit(0 if float(sys.argv[1]) <= 10 else 1)' "$took" ||
  fail "the failure box came $took s after connecting"
drive dialogbutton - OK
lines=$(drive listbox "Velmora ")
grep -q "alice: .*this server does not speak TLS on that port" <<<"$lines" || fail "no line saying why: $lines"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
echo "hostile: ok"
