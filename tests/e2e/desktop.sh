#!/usr/bin/env bash
# In Wine's desktop (a desktop window with a taskbar): right after the start the keyboard
# works the main window without a click (Alt+H, A opens the About box); after a hidden start
# a second start brings the window back together with its taskbar button.
. "$(dirname "$0")/lib.bash"

export VELMORA_DESKTOP=Velmora  # the driver looks into the program's desktop
write_settings '[Other]' AutoStartUp=0 AutoAdjustClock=0
in_desktop() {
  ( cd "$E2E_WORK" && exec wine explorer /desktop=Velmora,1024x768 ./velmora.exe "$@" ) >>"$E2E_WORK/app.log" 2>&1 &
  E2E_PIDS+=("$!")
}
# Until the desktop exists the driver looks in another one: wait with short looks.
until_seen() {
  local i
  for i in $(seq 1 60); do drive "$1" "Velmora " >/dev/null && return 0; sleep 0.5; done
  return 1
}
# The program is alone in its desktop: one window button on the taskbar is its own.
button() { [ "$(drive taskbar -)" = 1 ]; }

in_desktop
until_seen visible || fail "main window did not appear"
drive type alt+h
for i in $(seq 1 20); do drive tops - | grep -q '^#32768||1|' && break; sleep 0.2; done
drive type a
drive wait "About Velmora" 10 >/dev/null || fail "Alt+H, A right after the start opened no About box: $(drive active -)"
drive type escape
drive waitgone "About Velmora" 10 || fail "Escape left the About box open"
button || fail "no taskbar button after a start: $(drive taskbar -)"
drive syscmd "Velmora " close
for i in $(seq 1 50); do drive exists "Velmora " || break; sleep 0.2; done

in_desktop /minimize
until_seen exists || fail "no main window after /minimize"
sleep 3  # started: it answers a restore
drive visible "Velmora " && fail "/minimize showed the main window"
[ "$(drive taskbar -)" = 0 ] || fail "a hidden start shows taskbar buttons: $(drive taskbar -)"
in_desktop
drive wait "Velmora " 20 >/dev/null || fail "a second start did not bring the window back"
for i in $(seq 1 25); do button && break; sleep 0.2; done
button || fail "the window came back without its taskbar button: $(drive taskbar -)"
[ "$(drive count "Velmora ")" = 1 ] || fail "more than one main window"
drive syscmd "Velmora " close
echo "desktop: ok"
