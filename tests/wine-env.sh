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

# Makes sure there is an X display: an Xvfb of our own when DISPLAY is unset or dead. The
# server picks a free number itself (-displayfd): a number without a lock file may still be
# held by another X server on the machine (servers also listen on an abstract socket), and a
# display we did not start is never used for tests. VELMORA_OWN_DISPLAY=1 asks for a display
# of our own even when DISPLAY works (each e2e script has one, so scripts side by side never
# share focus or windows).
velmora_display() {
  if [ -z "${VELMORA_OWN_DISPLAY:-}" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local numfile i n=""
  numfile=$(mktemp /tmp/velmora-xvfb.XXXXXX)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
  VELMORA_XVFB_PID=$!
  for i in $(seq 1 100); do
    n=$(tr -dc 0-9 <"$numfile")
    [ -n "$n" ] && break
    kill -0 "$VELMORA_XVFB_PID" 2>/dev/null || break
    sleep 0.1
  done
  rm -f "$numfile"
  if [ -z "$n" ]; then
    echo "Xvfb did not start" >&2
    velmora_display_stop
    return 1
  fi
  export DISPLAY=":$n"
}

velmora_display_stop() {
  if [ -n "${VELMORA_XVFB_PID:-}" ]; then
    kill "$VELMORA_XVFB_PID" 2>/dev/null || true
    wait "$VELMORA_XVFB_PID" 2>/dev/null || true
    unset VELMORA_XVFB_PID
  fi
}
