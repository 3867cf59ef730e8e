#!/usr/bin/env bash
# The program starts, shows its main window off-line, and ends with exit code 0 when closed.
. "$(dirname "$0")/lib.bash"

start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
controls=$(drive list "Velmora ")
for t in 'Static|Off-line|1' 'Static|Status: |1' 'Button|Dial|1|1' 'Button|E-mail|1|0' 'client|529,302'; do
  grep -qF "$t" <<<"$controls" || fail "no \"$t\" in: $controls"
done
drive syscmd "Velmora " close || fail "could not close"
wait_exit "$APP_PID" 30 || fail "program did not end within 30 s"
[ "$APP_RC" -eq 0 ] || fail "exit code $APP_RC"
# It registered itself to start with Windows, hidden, for the machine (writable under Wine).
run=$(wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' /v Velmora 2>/dev/null | tr -d '\r')
grep -q 'velmora.exe" /minimize' <<<"$run" || fail "no start-with-Windows entry: $run"
echo "main_window: ok"
