#!/usr/bin/env bash
# Takes the README's pictures from the running program: velmora.exe under Wine, in Wine's
# desktop window on a virtual display of its own, on the simulated line with the
# demonstration settings, driven by the end-to-end driver. Writes docs/*.png; with --dpi 144
# the same set as a screen of 144 dots per inch shows it, as docs/*-144.png.
#   tools/screenshots.sh [--dpi 144]
set -eu
dpi=96
[ "${1:-}" = --dpi ] && dpi=${2:?usage: $0 [--dpi DPI]}
suffix=
[ "$dpi" = 96 ] || suffix="-$dpi"
px() { echo $(($1 * dpi / 96)); }  # a length of the 96-dpi set on this screen
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
. tools/deps.sh
velmora_deps
[ -f build/win32/build.ninja ] ||
  cmake -S "$root" -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw32.cmake" >/dev/null
cmake --build build/win32 --target velmora e2edriver
. tests/wine-env.sh
velmora_prefix

work=$(mktemp -d /tmp/velmora-shots.XXXXXX)
cp build/win32/velmora.exe "$work/"
cp -a "$WINEPREFIX.template" "$work/prefix"
export WINEPREFIX="$work/prefix"
if [ "$dpi" != 96 ]; then
  wine reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -w
fi
cp resources/demo-phonebook.ini "$work/phonebook.ini"
export VELMORA_PHONEBOOK="$work/phonebook.ini"
{ tr -d '\r' <resources/demo-settings.ini; printf 'AutoStartUp=0\n'; } | sed 's/$/\r/' >"$work/velmora.ini"
fav="$WINEPREFIX/drive_c/users/$(whoami)/Favorites"
mkdir -p "$fav/News"
printf '[InternetShortcut]\r\nURL=http://daily.example/\r\n' >"$fav/News/Daily.url"
printf '[InternetShortcut]\r\nURL=http://weather.example/\r\n' >"$fav/Weather.url"
printf '[InternetShortcut]\r\nURL=http://mail.example/\r\n' >"$fav/Web mail.url"

unset DISPLAY  # a display of our own, whatever the caller has
velmora_display
app=
stop() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  wineserver -k 2>/dev/null || true
  velmora_display_stop || true
  rm -rf "$work"
}
trap stop EXIT
export VELMORA_DESKTOP=Velmora  # the driver looks into the program's desktop
drive() { wine build/win32/e2edriver.exe "$@" 2>/dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
shot() {
  drive pointer 5 5 >/dev/null  # no tooltip over the picture
  sleep 1.5
  import -window root -crop "$(px 640)x$(px 440)+0+0" +repage "docs/$1$suffix.png"
  echo "docs/$1$suffix.png"
}

(cd "$work" && exec wine explorer "/desktop=Velmora,$(px 640)x$(px 480)" "$work/velmora.exe") >"$work/app.log" 2>&1 &
app=$!
# The desktop appears with the program: until then the driver finds no window.
for i in $(seq 1 60); do drive wait "Velmora " 1 >/dev/null && break; sleep 1; done
drive wait "Velmora " 1 >/dev/null || { echo "the program did not start" >&2; exit 1; }
shot main-offline

drive click "Velmora " "Dial"
drive waittext "Velmora " "Connected." 60 || { echo "the demonstration line did not connect" >&2; exit 1; }
shot main-connected

drive clickat "Velmora " "Favorites" "$(px 52)" "$(px 30)"
sleep 1
drive keys "Velmora " right
shot favorites-menu
drive keys "Velmora " escape escape

# The settings dialog, page by page.
drive click "Velmora " "Settings"
drive wait "Configure Velmora" 20 >/dev/null || { echo "no settings dialog" >&2; exit 1; }
sleep 1
for n in 1 2 3 4 5 6; do
  shot "settings-$n"
  drive type ctrl+tab  # the next page
done
drive click "Configure Velmora" "Cancel"
drive waitgone "Configure Velmora" 10

# The notification-area icon sits at the right-hand end of the desktop's taskbar.
drive rclick "$(px 625)" "$(px 470)"
sleep 1
import -window root -crop "$(px 640)x$(px 480)+0+0" +repage "docs/tray-menu$suffix.png"
echo "docs/tray-menu$suffix.png"
drive keys "Velmora " escape
