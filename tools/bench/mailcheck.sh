#!/usr/bin/env bash
# The mail check benchmark (not part of ./test.sh): the benchmark's own dovecot on 127.0.0.3
# (POP3 on 110, IMAP on 143) holds mailboxes of 100, 1000 and 10 000 messages, one in twenty
# of them unseen; each is read the way the mail check reads it, over POP3 (LIST, then
# "TOP n 1" for every message) by
#   - the project's client alone, natively and under Wine (tools/bench/mailbench.cpp,
#     built -O2 like the program),
#   - curl and python's poplib (one TOP at a time), and a fully pipelined exchange (every
#     TOP sent at once; tools/bench/peers.py),
#   - the real program under Wine: from the click on "E-mail" to the count shown,
# and over IMAP (UID SEARCH UNSEEN, then one UID FETCH of the unseen messages' headers) by
# the project's client natively (imap), under Wine (imap-wine) and by the real program
# (imap-program). It prints wall time and peak memory side by side, with ratios measured in
# this one run; an IMAP check that takes more than twice the POP3 check is marked "SLOW".
#   tools/bench/mailcheck.sh [COUNTS...]      (default: 100 1000 10000)
# BENCH_CLIENTS="native imap ..." measures only those (the ratios of the others show "-").
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
client_src=(tools/bench/mailbench.cpp mail/tcpip.cpp mail/Imap.cpp mail/ImapParse.cpp mail/Pop3Extensions.cpp mail/ServerText.cpp mail/MimeDecode.cpp mail/ip_misc.cpp core/SysUtils.cpp core/DateTime.cpp core/NetText.cpp core/Md5.cpp platform/Platform.cpp platform/headless/SystemClock.cpp)
g++ -std=c++20 -O2 -I"$root" "${client_src[@]}" platform/headless/PosixSocket.cpp -o "$bench/mailbench"
i686-w64-mingw32-g++-posix -std=c++20 -O2 -s -static -DWIN32_LEAN_AND_MEAN -DNOMINMAX -I"$root" "${client_src[@]}" \
  platform/win32/WinsockSocket.cpp platform/win32/TlsSocket.cpp core/Sha256.cpp -lwsock32 -o "$bench/mailbench.exe"

. tests/wine-env.sh
velmora_prefix
velmora_display
. tests/e2e/dovecot_peer.bash
work=$(mktemp -d /tmp/velmora-bench.XXXXXX)
host=127.0.0.3
app_pid=""
cleanup() {
  set +e  # whatever is already gone stays gone; the run's own result stands
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  dovecot_end "$work/pop" "$host" 110 143
  WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null
  velmora_display_stop
  rm -rf "$work"
  return 0
}
trap cleanup EXIT

# ---- the server: dovecot from a private configuration, maildirs of generated messages
pop=$work/pop
mkdir -p "$pop/run" "$pop/state"
: >"$pop/passwd"
for n in "${counts[@]}"; do
  dovecot_user "$pop" "m$n" secret
  python3 - "$pop/home/m$n/Maildir" "$n" <<'PY'
import os, sys
box, n = sys.argv[1], int(sys.argv[2])
for i in range(1, n + 1):
    flags = "" if i % 20 == 0 else "S"  # one in twenty unseen
    with open(os.path.join(box, "cur", "%d.bench:2,%s" % (i, flags)), "w", newline="") as f:
        f.write("Received: from relay%d.example.net by mx.example.net; Mon, 7 Dec 2026 08:00:00 +0000\r\n"
                "Message-ID: <%d.bench@example.net>\r\nFrom: Sender %d <sender%d@example.net>\r\n"
                "To: reader@example.net\r\nSubject: =?ISO-8859-1?Q?Message_num=E9ro_%d?=\r\n"
                "Date: Mon, 7 Dec 2026 08:00:00 +0000\r\nMIME-Version: 1.0\r\n"
                "Content-Type: text/plain; charset=us-ascii\r\n\r\n" % (i, i, i, i, i)
                + "A line of the body of this message.\r\n" * 20)
PY
done
dovecot_own "$pop"
dovecot_write_config "$pop" "$host" pop3:110 imap:143
dovecot_run "$pop" "$host" 110 143

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
# program_run N SERVER SHOWN: mailbox mN on the server text SERVER; done when SHOWN is shown.
program_run() {
  local n=$1 server=$2 shown=$3 secret=5118547184477095129547184
  {
    printf '[DUN]\r\nDialUpConnection=ISP\r\nUsernameDUN=joe\r\nPasswordDUN=%s\r\n' "$secret"
    printf '[Other]\r\nAutoAdjustClock=0\r\nTimerEnabled=0\r\n'
    printf '[Mail]\r\nm0=m%s\r\n[POPS]\r\nm0=%s\r\n[Password]\r\nm0=%s\r\n' "$n" "$server" "$secret"
  } >"$work/velmora.ini"
  ( cd "$work" && VELMORA_PHONEBOOK="$work/phonebook.ini" WINEPREFIX="$work/prefix" exec wine ./velmora.exe ) >/dev/null 2>&1 &
  app_pid=$!
  drive wait "Velmora " 60 >/dev/null || { echo "FAIL"; return; }
  drive click "Velmora " "Dial" >/dev/null
  drive waittext "Velmora " "Connected." 60 || { echo "FAIL"; return; }
  local t0 t1 peak
  t0=$(date +%s.%N)
  drive click "Velmora " "E-mail" >/dev/null
  drive waittext "Velmora " "$shown" 3600 >/dev/null || { echo "FAIL"; return; }
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
# The IMAP check against the POP3 check: time and peak memory, "SLOW" past twice the time.
against() {
  local r
  r=$(ratio "${t[$1]}" "${t[$2]}")
  printf '%s time, %s memory%s' "$r" "$(ratio "${m[$1]}" "${m[$2]}")" \
    "$(awk -v r="${r%x}" 'BEGIN { if (r + 0 > 2) printf "  SLOW" }')"
}

echo "velmora.exe: $(stat -c %s build/win32/velmora.exe) bytes"
printf '\n%-8s %-26s %10s %10s\n' messages client seconds "peak MB"
for n in "${counts[@]}"; do
  unseen=$((n / 20))
  # The first pass warms dovecot's index of the mailbox, for each protocol.
  "$bench/mailbench" $host 110 "m$n" secret >/dev/null
  "$bench/mailbench" imap://$host 143 "m$n" secret >/dev/null
  declare -A t=([native]=0 [wine]=0 [curl]=0 [poplib]=0 [pipelined]=0 [program]=0 [imap]=0 [imap-wine]=0 [imap-program]=0)
  declare -A m=([native]=0 [wine]=0 [program]=0 [imap]=0 [imap-wine]=0 [imap-program]=0)
  for name in ${BENCH_CLIENTS:-native wine curl poplib pipelined program imap imap-wine imap-program}; do
    case $name in
      native) r=$(measure "$n" "$bench/mailbench" $host 110 "m$n" secret) ;;
      wine) r=$(measure "$n" wine "$bench/mailbench.exe" $host 110 "m$n" secret) ;;
      curl) r=$(measure "$n" bash -c "curl_run $n") ;;
      poplib) r=$(measure "$n" "$python" tools/bench/peers.py poplib $host 110 "m$n" secret) ;;
      pipelined) r=$(measure "$n" "$python" tools/bench/peers.py pipelined $host 110 "m$n" secret) ;;
      program) r=$(program_run "$n" "$host" "$n") ;;
      imap) r=$(measure "$unseen" "$bench/mailbench" imap://$host 143 "m$n" secret) ;;
      imap-wine) r=$(measure "$unseen" wine "$bench/mailbench.exe" imap://$host 143 "m$n" secret) ;;
      imap-program) r=$(program_run "$n" "imap://$host" "$unseen") ;;
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
  echo "  IMAP / POP3 ($unseen unseen), client natively:      $(against imap native)"
  echo "  IMAP / POP3, client under Wine:                 $(against imap-wine wine)"
  echo "  IMAP / POP3, program's mail check:              $(against imap-program program)"
done
