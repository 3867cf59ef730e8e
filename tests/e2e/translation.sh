#!/usr/bin/env bash
# The French language file named by the language setting: the texts the program composes
# while it runs (progress caption, status line, Dial/Hang-Up button) and the fixed texts of
# its windows (labels, buttons, the start-up status, the menus, the About box) are the
# translated ones; every text of the dialogs is checked against French.ini by a unit case.
. "$(dirname "$0")/lib.bash"

cp "$E2E_WIN32_DIR/French.ini" "$E2E_WORK/"
write_phonebook '[ISP]' PhoneNumber=555-0100 StepDelay=300
dial_settings ISP MenuLanguage=French.ini

# Waits (bounded) until a label of the main window reads $1.
shows() {
  local i
  for i in $(seq 1 60); do
    drive list "Velmora " | grep -qF "Static|$1|" && return 0
    sleep 0.5
  done
  return 1
}

start_app
drive wait "Velmora " 60 >/dev/null || fail "main window did not appear"
shows "Hors ligne" || fail "the start-up status is not translated: $(drive list "Velmora ")"
shows "État : " || fail "the labels are not translated"
drive text "Velmora " "Appeler" "Options" "Navigateur" || fail "the tool buttons are not translated: $(drive list "Velmora ")"
# The menus answer to their French mnemonics: Programmation, Appeler et lancer des programmes.
drive menu "Velmora " "&Programmation" "&Appeler et lancer des programmes" || fail "no Programmation menu"
drive wait "Programmer une session sans surveillance" 10 >/dev/null || fail "the schedule dialog is not translated: $(drive tops -)"
drive keys "Programmer une session sans surveillance" escape
drive waitgone "Programmer une session sans surveillance" 10 || fail "Escape did not close the schedule dialog"
for i in 1 2 3; do  # the menu is walked by its mnemonics: Aide, A propos
  drive menu "Velmora " "&Aide" "A &propos..." && sleep 1 && drive tops - | grep -q "|À propos de Velmora|1|" && break
done
drive tops - | grep -q "|À propos de Velmora|1|" || fail "the About box is not translated: $(drive tops -)"
drive type escape
for i in $(seq 1 20); do drive tops - | grep -q "|À propos de Velmora|1|" || break; sleep 0.5; done
drive click "Velmora " "Appeler" || fail "no Appeler button"
drive wait "Appel en cours... ISP" 30 >/dev/null || fail "progress window not translated: $(drive tops -)"
drive waittext "Velmora " "Raccrocher" 30 || fail "dial button not translated: $(drive list "Velmora ")"
shows "Connecté." || fail "status not translated when connected: $(drive list "Velmora ")"
drive click "Velmora " "Raccrocher" || fail "no Raccrocher button"
drive waittext "Velmora " "Appeler" 20 || fail "dial button not translated after hang-up"
shows "Déconnecté" || fail "status not translated after hang-up: $(drive list "Velmora ")"
drive syscmd "Velmora " close
wait_exit "$APP_PID" 30 || fail "program did not end"
echo "translation: ok"
