# Shared by the end-to-end tests: start velmora.exe in a scratch copy under Wine, drive it
# with the project's driver, and stop everything that was started, whatever happens.
set -u
E2E_WIN32_DIR=${1:?usage: $0 WIN32_BUILD_DIR}
. "$(dirname "${BASH_SOURCE[0]}")/../wine-env.sh"
velmora_prefix
# A display of this script's own: scripts that run side by side never share focus or windows.
VELMORA_OWN_DISPLAY=1 velmora_display || exit 1

E2E_WORK=$(mktemp -d /tmp/velmora-e2e.XXXXXX)
cp "$E2E_WIN32_DIR/velmora.exe" "$E2E_WORK/"
# A Wine prefix of this test's own: tests run side by side without meeting each other's
# program (the single-instance rule holds per prefix) or ending each other's Wine.
cp -a "$WINEPREFIX.template" "$E2E_WORK/prefix"
export WINEPREFIX="$E2E_WORK/prefix"
DRIVER="$E2E_WIN32_DIR/e2edriver.exe"
E2E_PIDS=()

e2e_cleanup() {
  local p
  for p in "${E2E_PIDS[@]}"; do kill "$p" 2>/dev/null; done
  wineserver -k 2>/dev/null
  velmora_display_stop
  rm -rf "$E2E_WORK"
}
trap e2e_cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Starts the program in the background with the given arguments; its pid is in APP_PID.
start_app() {
  ( cd "$E2E_WORK" && exec wine ./velmora.exe "$@" ) >"$E2E_WORK/app.log" 2>&1 &
  APP_PID=$!
  E2E_PIDS+=("$APP_PID")
}

drive() { wine "$DRIVER" "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }

# The program's settings file in the work folder, and the password "secret" as it stores it.
E2E_INI="$E2E_WORK/velmora.ini"
E2E_SECRET=5118547184477095129547184

# Writes the settings file: each argument is one line, "[Section]" or "key=value", ended by
# CR LF as the program writes them.
write_settings() { printf '%s\r\n' "$@" >"$E2E_INI"; }

# Writes the simulated line's phonebook from "[Entry]" and "key=value" lines and points the
# program at it.
write_phonebook() {
  export VELMORA_PHONEBOOK="$E2E_WORK/phonebook.ini"
  printf '%s\n' "$@" >"$VELMORA_PHONEBOOK"
}

# Writes settings that dial phonebook ENTRY as joe with the password "secret", the clock
# left alone; the further lines follow [Other]'s keys (more of them, or other sections).
dial_settings() {
  local entry=$1
  shift
  write_settings '[DUN]' "DialUpConnection=$entry" UsernameDUN=joe "PasswordDUN=$E2E_SECRET" \
    '[Other]' AutoAdjustClock=0 AutoStartUp=0 "$@"
}

# Fails unless the main window becomes the active window within 6 s.
main_is_active() {
  local a i
  for i in $(seq 1 30); do
    a=$(drive active -)
    [ "$a" = "TVelmoraForm|Velmora " ] && return 0
    sleep 0.2
  done
  fail "$1: the active window is \"$a\", not the main window"
}

# Waits (bounded) for a background process to end and puts its exit code in APP_RC.
wait_exit() {
  local pid=$1 secs=${2:-20} i
  for i in $(seq 1 $((secs * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then wait "$pid"; APP_RC=$?; return 0; fi
    sleep 0.1
  done
  return 1
}

# The certificate box shows a fingerprint in groups over lines: compare its hex digits.
shows_fingerprint() { tr -d ': \n' <<<"$2" | grep -qF "$(tr -d ':' <<<"$1")"; }
