#!/usr/bin/env bash
# "Adjust" with a network-time server (ntp://host:port): two real time servers (chronyd in
# the foreground, with no control of the machine's clock, each made to serve its own false
# time by faketime) on ports of 127.0.0.8. The program must ask Wine for the step each
# server's offset calls for; Wine refuses steps over half a second and logs the distance,
# so the machine's clock never changes. A silent address gets the "not responding" box.
. "$(dirname "$0")/lib.bash"
command -v chronyd >/dev/null && command -v faketime >/dev/null || fail "chrony and faketime are needed"

NTP_ADDR=127.0.0.8

NTP_PEER="$(dirname "$0")/ntp_peer.py"

# chronyd on NTP_ADDR:PORT serving the time that starts at WHEN (and runs on from there).
ntp_server() {
  local port=$1 when=$2 dir="$E2E_WORK/chrony$1" i
  mkdir -p "$dir"
  printf '%s\n' "pidfile $dir/chronyd.pid" "cmdport 0" "bindcmdaddress /" "port $port" \
    "bindaddress $NTP_ADDR" "local stratum 1" "allow 127.0.0.0/8" >"$dir/chrony.conf"
  faketime -f "@$when" chronyd -d -x -f "$dir/chrony.conf" >"$dir/log" 2>&1 &
  E2E_PIDS+=($!)
  for i in $(seq 1 50); do [ -s "$dir/chronyd.pid" ] && break; sleep 0.2; done
  [ -s "$dir/chronyd.pid" ] || fail "chronyd on port $port did not start: $(cat "$dir/log")"
  E2E_PIDS+=("$(cat "$dir/chronyd.pid")")  # faketime leaves it running when it ends
  for i in $(seq 1 20); do python3 "$NTP_PEER" query $NTP_ADDR "$port" >/dev/null 2>&1 && return; sleep 0.5; done
  fail "chronyd on port $port does not answer: $(cat "$dir/log")"
}

# Starts the program asking SERVER, waits for its main window and clicks Adjust.
adjust_with() {
  write_settings '[Other]' AutoAdjustClock=0 AutoStartUp=0 "TimeServer=$1"
  WINEDEBUG=err+all start_app
  drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
  drive click "Velmora " "Adjust" || fail "no Adjust button"
}

# Waits for the step the program asked Wine for, and checks it is OFFSET ms (as Wine's
# 32-bit number) within 300 ms either way; then the refused change must be reported. Both
# measurements run on loopback against the same clock, so they agree to a few ms unless
# the program times the answer wrongly (handled 2 s after it arrived, behind the progress
# dialog, it once asked for 1 s less).
expect_step() {
  local offset=$1 what=$2 diff i d box
  # Every server here is more than 15 hours out: Adjust asks before the step.
  box=$(drive dialog 20) || fail "$what: no question before a step of hours"
  grep -q "The time server's clock differs from this computer's clock by" <<<"$box" || fail "$what: wrong box: $box"
  drive dialogbutton - "&Yes" || fail "$what: no Yes button: $box"
  for i in $(seq 1 75); do grep -q "NtSetSystemTime not allowed" "$E2E_WORK/app.log" && break; sleep 0.2; done
  diff=$(grep -o "NtSetSystemTime not allowed: difference -\?[0-9]*" "$E2E_WORK/app.log" | grep -o -- "-\?[0-9]*$" | tail -1)
  [ -n "$diff" ] || fail "$what: the clock was not set: $(tail -5 "$E2E_WORK/app.log")"
  d=$(( ((diff - offset) % 4294967296 + 4294967296 + 2147483648) % 4294967296 - 2147483648 ))
  echo "$what: step asked differs from the server's offset by $d ms"
  [ "$d" -ge -300 ] && [ "$d" -le 300 ] || fail "$what: asked to move the clock by $diff ms, the server's offset is $offset ms"
  box=$(drive dialog 20) || fail "$what: the refused clock change was not reported"
  grep -q "The computer clock could not be set: " <<<"$box" || fail "$what: wrong box: $box"
  drive dialogbutton - OK
}

close_app() {
  drive syscmd "Velmora " close
  wait_exit "$APP_PID" 30 || fail "program did not end"
}

ntp_server 12300 "2030-01-01 00:00:00"
ntp_server 12301 "2019-06-01 12:00:00"

# The first server: its offset, measured here just before, is what the program asks for.
offset=$(python3 "$NTP_PEER" query $NTP_ADDR 12300) || fail "no independent measurement"
adjust_with "ntp://$NTP_ADDR:12300"
expect_step "$offset" "first server"
close_app

# The second server, on another port, with another false time.
offset2=$(python3 "$NTP_PEER" query $NTP_ADDR 12301) || fail "no independent measurement"
[ $(( ${offset2#-} - ${offset#-} )) != 0 ] || fail "the two servers serve the same time"
adjust_with "ntp://$NTP_ADDR:12301"
expect_step "$offset2" "second server"
close_app

# A silent address: the request is sent and resent once, then given up with the box within
# 40 s; the next Adjust asks again (and this time gets an answer a day ahead).
python3 -u "$NTP_PEER" serve $NTP_ADDR 12302 2 86400 >"$E2E_WORK/silent.log" 2>&1 &
E2E_PIDS+=($!)
for i in $(seq 1 50); do grep -q listening "$E2E_WORK/silent.log" 2>/dev/null && break; sleep 0.2; done
grep -q listening "$E2E_WORK/silent.log" || fail "silent peer did not start: $(cat "$E2E_WORK/silent.log")"
adjust_with "ntp://$NTP_ADDR:12302"
start=$(date +%s)
box=$(drive dialog 40) || fail "no box within 40 s for a silent server"
grep -q "The Time server is not responding" <<<"$box" || fail "wrong box for a silent server: $box"
took=$(( $(date +%s) - start ))
[ "$took" -ge 25 ] || fail "gave up on the silent server after only $took s"
[ "$(grep -c datagram "$E2E_WORK/silent.log")" = 2 ] || fail "expected one request and one resend: $(cat "$E2E_WORK/silent.log")"
drive dialogbutton - OK
drive click "Velmora " "Adjust" || fail "no Adjust button"
expect_step 86400000 "the next Adjust"
close_app
echo "sntp: ok"
