#!/usr/bin/env bash
# The favorites button lists the user's favorites folder; a chosen shortcut is opened.
. "$(dirname "$0")/lib.bash"

fav="$WINEPREFIX/drive_c/users/$(whoami)/Favorites"
mkdir -p "$fav/News"
printf '[InternetShortcut]\r\nURL=http://daily.example/\r\n' >"$fav/News/Daily.url"
# A shortcut to a program the prefix has, so that opening it shows a window to look for.
printf '[InternetShortcut]\r\nURL=C:\\windows\\notepad.exe\r\n' >"$fav/Notes.url"

start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
sleep 1
drive clickat "Velmora " "Favorites" 52 30 || fail "no Favorites button"
sleep 1.5
# The menu holds the folder News, then the shortcut Notes: the second item opens notepad.
drive keys "Velmora " down down enter || fail "could not work the menu"
for i in $(seq 1 40); do
  drive tops - | grep -q '|Untitled - Notepad|1|' && break
  sleep 0.5
done
drive tops - | grep -q '|Untitled - Notepad|1|' || fail "the chosen shortcut was not opened: $(drive tops - | grep '|1|')"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
echo "favorites: ok"
