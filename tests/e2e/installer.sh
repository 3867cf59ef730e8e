#!/usr/bin/env bash
# The installer, silently: the program starts from the installed folder and finds its help
# file and sound there; the uninstaller, silently, leaves nothing but the settings file.
# Shown: it carries the program's icon and its last page starts the program; the
# uninstaller with the settings leaves no folder behind.
. "$(dirname "$0")/lib.bash"

wine "$E2E_WIN32_DIR/velmora-setup.exe" /S >/dev/null 2>&1 || fail "installer failed"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora'
regval() { wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z]* *//p"; }
loc=$(regval "$key" InstallLocation)
[ -n "$loc" ] || fail "no uninstall entry"
grep -q 'uninstall.exe"' <<<"$(regval "$key" UninstallString)" || fail "no uninstall command"
dir=$(winepath -u "$loc" 2>/dev/null)
[ -d "$dir" ] || fail "install folder missing: $loc"
grep -qi 'AppData.Local.Programs.Velmora$' <<<"$loc" || fail "not a per-user folder: $loc"
for f in velmora.exe velmora.hlp man.wav French.ini uninstall.exe; do
  [ -f "$dir/$f" ] || fail "$f not installed"
done
size=$(stat -c %s "$dir/velmora.exe")
# The sign-in (HTTPS, JSON, token store) brought the program past 2 MB; the bound still
# catches a runtime or library pulled in whole by mistake.
[ "$size" -le 3145728 ] || fail "installed program is $size bytes, more than 3 MB"
cmp -s "$dir/man.wav" "$E2E_WIN32_DIR/man.wav" || fail "installed sound differs"
menu=$(winepath -u 'C:\users' 2>/dev/null)
lnk=$(find "$menu" -path '*Start Menu/Programs/Velmora/Velmora.lnk' 2>/dev/null)
[ -n "$lnk" ] || fail "no Start-menu shortcut"

# From the installed folder: the help file is found (Help Topics opens it) and the default
# new-mail sound is the installed man.wav.
( cd "$dir" && exec wine ./velmora.exe ) >"$E2E_WORK/app.log" 2>&1 &
APP_PID=$!
E2E_PIDS+=("$APP_PID")
drive wait "Velmora " 60 >/dev/null || fail "installed program did not start"
drive menu "Velmora " "&Help" "Help &Topics" || fail "no Help Topics"
drive wait "Velmora Help" 60 >/dev/null || fail "installed program did not find its help file"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
[ -f "$dir/velmora.ini" ] || fail "program wrote no settings beside itself"
# Installed in the user's own folder, it starts with Windows for that user only.
grep -q 'Velmora' <<<"$(regval 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' Velmora)" ||
  fail "program did not register its start with Windows for the user"
! grep -qiF "$loc" <<<"$(regval 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' Velmora)" ||
  fail "a per-user installation registered its start for every user"

# The uninstaller copies itself away and returns at once: wait for it to finish.
wine "$dir/uninstall.exe" /S >/dev/null 2>&1 || fail "uninstaller failed"
for i in $(seq 1 60); do
  [ -e "$dir/uninstall.exe" ] || [ -e "$dir/velmora.exe" ] || [ -n "$(regval "$key" InstallLocation)" ] || break
  sleep 0.5
done
sleep 1
left=$(cd "$dir" && ls -A)
[ "$left" = "velmora.ini" ] || fail "left in the install folder: $left"
[ -z "$(find "$menu" -path '*Start Menu/Programs/Velmora*' 2>/dev/null)" ] || fail "Start-menu folder left"
[ -z "$(regval "$key" InstallLocation)" ] || fail "uninstall entry left"
for root in HKLM HKCU; do
  [ -z "$(regval "$root\\Software\\Microsoft\\Windows\\CurrentVersion\\Run" Velmora)" ] || fail "start-with-Windows entry left in $root"
done

# The installer and the uninstaller show the program's own icon: its first picture's bytes.
python3 - "$E2E_WIN32_DIR/generated/velmora.ico" "$E2E_WIN32_DIR/velmora-setup.exe" "$dir/uninstall.exe" <<'PY' ||
import struct, sys
ico = open(sys.argv[1], "rb").read()
size, at = struct.unpack_from("<II", ico, 6 + 8)
sys.exit(0 if ico[at:at + size] in open(sys.argv[2], "rb").read() else 1)
PY
  fail "the installer does not carry the program's icon"

# Shown, the last page offers to start the program, ticked; Finish starts it.
SETUP="Velmora Setup "  # the wizard's caption, its pages' empty subcaption after it
wine "$E2E_WIN32_DIR/velmora-setup.exe" >/dev/null 2>&1 &
E2E_PIDS+=("$!")
drive wait "$SETUP" 60 >/dev/null || fail "the installer's window did not appear"
drive click "$SETUP" "&Install" || fail "no Install button: $(drive list "$SETUP")"
drive waittext "$SETUP" "Run Velmora" 60 || fail "the last page offers no Run Velmora: $(drive list "$SETUP")"
drive click "$SETUP" "&Finish" || fail "no Finish button"
drive wait "Velmora " 60 >/dev/null || fail "Finish with Run Velmora did not start the program"
drive syscmd "Velmora " close
drive waitgone "Velmora " 30 || fail "program did not end"
# Its process is not ours to wait for: wait (bounded) until it has let go of its file.
for i in $(seq 1 60); do pgrep -f 'Programs.Velmora.velmora\.exe' >/dev/null || break; sleep 0.5; done

# With the settings chosen, the list of mail already seen (it names the mailboxes) goes too,
# and the folder with them.
echo "1 alice@127.0.0.1" >"$dir/velmora.uid"
wine "$dir/uninstall.exe" /S /REMOVESETTINGS >/dev/null 2>&1 || fail "uninstaller failed"
for i in $(seq 1 60); do
  [ -d "$dir" ] || break
  sleep 0.5
done
[ ! -d "$dir" ] || fail "left in the install folder after removing the settings: $(cd "$dir" && ls -A)"
echo "installer: ok"
