#!/usr/bin/env bash
# The French language file named by the language setting: the texts the program composes
# while it runs (progress caption, status line, Dial/Hang-Up button) are the translated
# ones; menus, labels and window captions keep their fixed English texts.
. "$(dirname "$0")/lib.bash"

cp "$E2E_WIN32_DIR/French.ini" "$E2E_WORK/"
write_phonebook '[ISP]' PhoneNumber=555-0100 StepDelay=300
dial_settings ISP MenuLanguage=French.ini

# Waits (bounded) until a label of the main window reads $1; the texts cross in code page 1252.
shows() {
  local i
  for i in $(seq 1 60); do
    drive list "Velmora " | iconv -f CP1252 -t UTF-8 | grep -qF "Static|$1|" && return 0
    sleep 0.5
  done
  return 1
}

start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
drive text "Velmora " "Dial" "Status: " "Off-line" || fail "the fixed captions are not the English ones"
drive click "Velmora " "Dial" || fail "no Dial button"
drive wait "Appel en cours... ISP" 30 >/dev/null || fail "progress window not translated: $(drive tops -)"
drive waittext "Velmora " "Raccrocher" 30 || fail "dial button not translated: $(drive list "Velmora ")"
shows "Connecté." || fail "status not translated when connected: $(drive list "Velmora ")"
drive click "Velmora " "Raccrocher" || fail "no Raccrocher button"
drive waittext "Velmora " "Appeler" 20 || fail "dial button not translated after hang-up"
shows "Déconnecté" || fail "status not translated after hang-up: $(drive list "Velmora ")"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
echo "translation: ok"
