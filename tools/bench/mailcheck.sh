#!/usr/bin/env bash
# The mail check benchmark (not part of ./test.sh): a private dovecot on 127.0.0.3:110 holds
# mailboxes of 100, 1000 and 10 000 messages; each is read the way the mail check reads it
# (LIST, then "TOP n 1" for every message) by
#   - the project's POP3 client alone, natively and under Wine (tools/bench/pop3bench.cpp,
#     built -O2 like the program),
#   - curl and python's poplib (one TOP at a time), and a fully pipelined exchange (every
#     TOP sent at once; tools/bench/peers.py),
#   - the real program under Wine: from the click on "E-mail" to the count shown,
# and prints wall time and peak memory side by side, with ratios measured in this one run.
#   tools/bench/mailcheck.sh [COUNTS...]      (default: 100 1000 10000)
# BENCH_CLIENTS="native pipelined ..." measures only those (the ratios of the others show "-").
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(100 1000 10000)
. tools/deps.sh
velmora_deps
for tool in curl python3; do
  command -v $tool >/dev/null || { apt-get install -y -qq --no-install-recommends ${tool/python3/python3} >/dev/null; }
done
velmora_build "$root" win32
# The interpreter itself, not a wrapper script that would add its own start-up to its time.
python=$(python3 -c 'import sys; print(sys.executable)')

bench=$root/build/bench
mkdir -p "$bench"
client_src=(tools/bench/pop3bench.cpp mail/tcpip.cpp mail/Pop3Extensions.cpp mail/ServerText.cpp mail/MimeDecode.cpp mail/ip_misc.cpp core/SysUtils.cpp core/DateTime.cpp platform/Platform.cpp platform/headless/SystemClock.cpp)
g++ -std=c++20 -O2 -I"$root" "${client_src[@]}" platform/headless/PosixSocket.cpp -o "$bench/pop3bench"
i686-w64-mingw32-g++-posix -std=c++20 -O2 -s -static -DWIN32_LEAN_AND_MEAN -DNOMINMAX -I"$root" "${client_src[@]}" \
  platform/win32/WinsockSocket.cpp platform/win32/TlsSocket.cpp core/Sha256.cpp -lwsock32 -o "$bench/pop3bench.exe"

. tests/wine-env.sh
velmora_prefix
velmora_display
work=$(mktemp -d /tmp/velmora-bench.XXXXXX)
host=127.0.0.3
app_pid=""
cleanup() {
  set +e  # whatever is already gone stays gone; the run's own result stands
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -f "$work/pop/dovecot.conf" ] && doveadm -c "$work/pop/dovecot.conf" stop 2>/dev/null
  WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null
  velmora_display_stop
  rm -rf "$work"
  return 0
}
trap cleanup EXIT

# ---- the server: dovecot from a private configuration, maildirs of generated messages
pop=$work/pop
uid=$(id -u nobody) gid=$(id -g nobody)
mkdir -p "$pop/run" "$pop/state"
: >"$pop/passwd"
for n in "${counts[@]}"; do
  home=$pop/home/m$n
  python3 - "$home/Maildir" "$n" <<'PY'
import os, sys
box, n = sys.argv[1], int(sys.argv[2])
for d in ("new", "cur", "tmp"):
    os.makedirs(os.path.join(box, d), exist_ok=True)
for i in range(1, n + 1):
    with open(os.path.join(box, "cur", "%d.bench:2,S" % i), "w", newline="") as f:
        f.write("Received: from relay%d.example.net by mx.example.net; Mon, 7 Dec 2026 08:00:00 +0000\r\n"
                "Message-ID: <%d.bench@example.net>\r\nFrom: Sender %d <sender%d@example.net>\r\n"
                "To: reader@example.net\r\nSubject: =?ISO-8859-1?Q?Message_num=E9ro_%d?=\r\n"
                "Date: Mon, 7 Dec 2026 08:00:00 +0000\r\nMIME-Version: 1.0\r\n"
                "Content-Type: text/plain; charset=us-ascii\r\n\r\n" % (i, i, i, i, i)
                + "A line of the body of this message.\r\n" * 20)
PY
  printf 'm%s:{PLAIN}secret:%s:%s::%s\n' "$n" "$uid" "$gid" "$home" >>"$pop/passwd"
done
chown -R "$uid:$gid" "$pop/home"
d=$pop
while [ "$d" != / ]; do chmod o+x "$d" 2>/dev/null; d=$(dirname "$d"); done
. tests/e2e/pop3_peer.bash
pop3_write_config "$pop" "$host"
dovecot -c "$pop/dovecot.conf" </dev/null >/dev/null 2>&1 || { cat "$pop/dovecot.log" >&2; exit 1; }
for i in $(seq 1 50); do (exec 3<>/dev/tcp/$host/110) 2>/dev/null && break; sleep 0.1; done

# Runs a command under /usr/bin/time; prints "SECONDS PEAK_MB" and checks it counted n.
measure() {
  local n=$1
  shift
  local out
  out=$( { /usr/bin/time -f "TIME %e %M" "$@" 2>&1 >"$work/out"; } 2>&1 | grep '^TIME' | tail -1)
  local got
  got=$(tr -d '\r' <"$work/out" | tail -1)
  if [ "$got" != "$n" ] && [ "${COUNT_CHECK:-1}" = 1 ]; then echo "FAIL"; return; fi
  awk '{printf "%.2f %.1f\n", $2, $3 / 1024}' <<<"$out"
}

curl_run() {  # LIST, then one TOP per message, all on one connection
  local n=$1 i cfg=$work/curl.cfg
  {
    printf 'url = "pop3://%s:110/"\nuser = "m%s:secret"\noutput = "/dev/null"\n' "$host" "$n"
    for i in $(seq 1 "$n"); do
      printf 'next\nurl = "pop3://%s:110/"\nuser = "m%s:secret"\nrequest = "TOP %s 1"\noutput = "/dev/null"\n' "$host" "$n" "$i"
    done
  } >"$cfg"
  curl -s -K "$cfg" && echo "$n"
}
export -f curl_run
export work host

# ---- the real program under Wine: dial the simulated line, click "E-mail", wait for the count
cp -a "$WINEPREFIX.template" "$work/prefix"
cp build/win32/velmora.exe "$work/"
printf '[ISP]\nPhoneNumber=555-0100\nStepDelay=20\n' >"$work/phonebook.ini"
drive() { WINEPREFIX="$work/prefix" wine "$root/build/win32/e2edriver.exe" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
program_run() {
  local n=$1 secret=5118547184477095129547184
  {
    printf '[DUN]\r\nDialUpConnection=ISP\r\nUsernameDUN=joe\r\nPasswordDUN=%s\r\n' "$secret"
    printf '[Other]\r\nAutoAdjustClock=0\r\nTimerEnabled=0\r\n'
    printf '[Mail]\r\nm0=m%s\r\n[POPS]\r\nm0=%s\r\n[Password]\r\nm0=%s\r\n' "$n" "$host" "$secret"
  } >"$work/velmora.ini"
  ( cd "$work" && VELMORA_PHONEBOOK="$work/phonebook.ini" WINEPREFIX="$work/prefix" exec wine ./velmora.exe ) >/dev/null 2>&1 &
  app_pid=$!
  drive wait "Velmora " 60 >/dev/null || { echo "FAIL"; return; }
  drive click "Velmora " "Dial" >/dev/null
  drive waittext "Velmora " "Connected." 60 || { echo "FAIL"; return; }
  local t0 t1 peak
  t0=$(date +%s.%N)
  drive click "Velmora " "E-mail" >/dev/null
  drive waittext "Velmora " "$n" 3600 >/dev/null || { echo "FAIL"; return; }
  t1=$(date +%s.%N)
  peak=$(awk '/VmHWM/ {print $2}' /proc/$app_pid/status 2>/dev/null || echo 0)
  drive syscmd "Velmora " close >/dev/null || true
  for i in $(seq 1 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  kill "$app_pid" 2>/dev/null; wait "$app_pid" 2>/dev/null
  app_pid=""
  WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
  awk -v a="$t0" -v b="$t1" -v m="${peak:-0}" 'BEGIN {printf "%.2f %.1f\n", b - a, m / 1024}'
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a > 0 && b > 0) printf "%.2fx", a / b; else printf "-" }'; }

echo "velmora.exe: $(stat -c %s build/win32/velmora.exe) bytes"
printf '\n%-8s %-26s %10s %10s\n' messages client seconds "peak MB"
for n in "${counts[@]}"; do
  # The first pass warms dovecot's index of the mailbox.
  "$bench/pop3bench" $host 110 "m$n" secret >/dev/null
  declare -A t=([native]=0 [wine]=0 [curl]=0 [poplib]=0 [pipelined]=0 [program]=0) m=()
  for name in ${BENCH_CLIENTS:-native wine curl poplib pipelined program}; do
    case $name in
      native) r=$(measure "$n" "$bench/pop3bench" $host 110 "m$n" secret) ;;
      wine) r=$(measure "$n" wine "$bench/pop3bench.exe" $host 110 "m$n" secret) ;;
      curl) r=$(measure "$n" bash -c "curl_run $n") ;;
      poplib) r=$(measure "$n" "$python" tools/bench/peers.py poplib $host 110 "m$n" secret) ;;
      pipelined) r=$(measure "$n" "$python" tools/bench/peers.py pipelined $host 110 "m$n" secret) ;;
      program) r=$(program_run "$n") ;;
    esac
    t[$name]=${r% *}
    m[$name]=${r#* }
    printf '%-8s %-26s %10s %10s\n' "$n" "$name" "${t[$name]}" "${m[$name]}"
  done
  fastest=$(printf '%s\n%s\n' "${t[curl]}" "${t[poplib]}" | grep -v '^0$' | sort -g | head -1)
  echo "  client natively / fastest peer (curl, poplib):  $(ratio "${t[native]}" "$fastest")"
  echo "  client natively / fully pipelined:              $(ratio "${t[native]}" "${t[pipelined]}")"
  echo "  client under Wine / natively:                   $(ratio "${t[wine]}" "${t[native]}")"
  echo "  program's mail check / client under Wine:       $(ratio "${t[program]}" "${t[wine]}")"
done
