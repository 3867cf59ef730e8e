#!/usr/bin/env bash
# Mail servers that are slow or mistaken on purpose, in one check the user started (Dial):
# - pops:// to a port that speaks plain POP3: the greeting cannot start a TLS record, so
#   the check gives up within 10 s of connecting, with the failure box and a line saying why;
# - a TLS handshake dribbled one byte every 5 s: the failure box within 45 s of connecting,
#   and the main window answers within 2 s all the while;
# - an unknown certificate: the question's default button is "No", and a "Yes" given after
#   60 s still gets the mailbox checked (on a fresh connection).
. "$(dirname "$0")/lib.bash"
. "$(dirname "$0")/pop3_peer.bash"
trap 'pop3_stop; e2e_cleanup' EXIT

pop3_start_tls "$E2E_WORK" "alice:secret:Bob <bob@example.com>|Hello;Carol <carol@example.com>|Lunch" ||
  fail "no POP3 server with TLS"

plain=$((20000 + RANDOM % 20000))
dribble=$((plain + 1))
# This test's own peers on 127.0.0.10 (bounded, 150 s): on the first port a plain POP3
# greeting; on the second the start of a TLS record, then one byte every 5 s. Each notes
# when it accepted a connection.
python3 -c '
import socket, sys, threading, time
def serve(port, log, dribble):
    s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("127.0.0.10", port)); s.listen(4); s.settimeout(150)
    end = time.time() + 150
    while time.time() < end:
        try: c, _ = s.accept()
        except OSError: return
        open(log, "a").write("%f\n" % time.time())
        if not dribble:
            c.sendall(b"+OK ready\r\n"); held.append(c); continue
        def drip(c=c):
            try:
                c.sendall(b"\x16\x03\x03")
                while time.time() < end:
                    time.sleep(5); c.sendall(b"\x00")
            except OSError: pass
        threading.Thread(target=drip, daemon=True).start()
held = []
threads = [threading.Thread(target=serve, args=(int(sys.argv[1]), sys.argv[3], False)),
           threading.Thread(target=serve, args=(int(sys.argv[2]), sys.argv[4], True))]
for t in threads: t.start()
for t in threads: t.join()
' "$plain" "$dribble" "$E2E_WORK/plain.at" "$E2E_WORK/dribble.at" &
E2E_PIDS+=("$!")

# Seconds from the first connection noted in FILE until now.
since() { python3 -c 'import sys, time; print(round(time.time() - float(open(sys.argv[1]).readline()), 1))' "$1"; }
within() { python3 -c 'import sys; sys.exit(0 if float(sys.argv[1]) <= float(sys.argv[2]) else 1)' "$1" "$2"; }
# Presses OK in the failure box and waits (bounded) until it is gone.
dismiss() {
  drive dialogbutton - OK
  for _ in $(seq 1 50); do drive dialog 0 >/dev/null || return 0; sleep 0.1; done
  fail "the box did not go"
}

write_phonebook '[ISP]' PhoneNumber=555-0100 StepDelay=20
dial_settings ISP TimerEnabled=1 TimerDelay=99 \
  '[Mail]' m0=alice m1=alice m2=alice \
  '[POPS]' "m0=pops://127.0.0.10:$plain" "m1=pops://127.0.0.10:$dribble" m2=pops://127.0.0.1 \
  '[Password]' "m0=$E2E_SECRET" "m1=$E2E_SECRET" "m2=$E2E_SECRET"

start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive click "Velmora " "Dial"

box=$(drive dialog 60) || fail "no failure box for the plain port: $(drive listbox "Velmora ")"
took=$(since "$E2E_WORK/plain.at") || fail "the program never connected to the plain port"
grep -q "not responding" <<<"$box" || fail "wrong box: $box"
within "$took" 10 || fail "the failure box for the plain port came $took s after connecting"
grep -q "this server does not speak TLS on that port" <<<"$(drive listbox "Velmora ")" ||
  fail "no line saying why: $(drive listbox "Velmora ")"
dismiss

drive responsive "Velmora " 50 >"$E2E_WORK/answers" &
prober=$!
box=$(drive dialog 60) || fail "no failure box for the dribbled handshake"
took=$(since "$E2E_WORK/dribble.at") || fail "the program never connected to the dribbling peer"
grep -q "not responding" <<<"$box" || fail "wrong box: $box"
within "$took" 45 || fail "the failure box for the dribbled handshake came $took s after connecting"
wait "$prober"
longest=$(cat "$E2E_WORK/answers")
[ -n "$longest" ] && [ "$longest" -le 2000 ] || fail "the main window once took $longest ms to answer"
dismiss

box=$(drive dialog 60) || fail "no question about the certificate"
grep -q "does not trust the certificate of the mail server for the mailbox alice (127.0.0.1)" <<<"$box" ||
  fail "wrong box: $box"
[ "$(drive defbutton 5)" = "&No" ] || fail "the default button is \"$(drive defbutton 5)\", not No"
sleep 60
drive dialogbutton - "&Yes" || fail "no Yes button: $box"
drive waittext "Velmora " "2" 60 || fail "the count is not 2: $(drive list "Velmora ")"
grep -q "Login: user=<alice>.*TLS" "$E2E_WORK/pop/dovecot.log" || fail "alice was not checked over TLS"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
echo "hostile: ok"
