# Sourced by the scripts that run programs under Wine: the project's own 32-bit prefix,
# quiet, without the Mono/Gecko installers, and an X display (a virtual one when there is none).
VELMORA_ROOT=${VELMORA_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$VELMORA_ROOT/build/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}

# Makes sure the prefix exists (created once, under a lock so parallel callers wait).
velmora_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot -i >/dev/null 2>&1
      wineserver -w
    fi
    # Wine's own fonts (Marlett for the caption buttons, Tahoma, MS Sans Serif) come with
    # its fonts package, but this Wine does not look for them there: put them where every
    # Windows program's fonts are.
    local fonts="$WINEPREFIX/drive_c/windows/Fonts" fresh=
    if [ -d /usr/share/wine/fonts ] && [ ! -e "$fonts/marlett.ttf" ]; then
      mkdir -p "$fonts" && cp /usr/share/wine/fonts/* "$fonts/" && fresh=1
    fi
    # A copy that nothing runs in, for tests that want a prefix of their own.
    if [ -n "$fresh" ] || [ ! -f "$WINEPREFIX.template/system.reg" ]; then
      rm -rf "$WINEPREFIX.template"
      cp -a "$WINEPREFIX" "$WINEPREFIX.template"
    fi
  ) 9>"$WINEPREFIX.lock"
}

# Makes sure there is an X display: an Xvfb of our own when DISPLAY is unset or dead.
velmora_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n
  for n in $(seq 91 140); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      VELMORA_XVFB_PID=$!
      export DISPLAY=":$n"
      local i
      for i in $(seq 1 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
      echo "Xvfb did not start on :$n" >&2
      return 1
    fi
  done
  echo "no free X display number" >&2
  return 1
}

velmora_display_stop() {
  if [ -n "${VELMORA_XVFB_PID:-}" ]; then
    kill "$VELMORA_XVFB_PID" 2>/dev/null || true
    wait "$VELMORA_XVFB_PID" 2>/dev/null || true
    unset VELMORA_XVFB_PID
  fi
}
