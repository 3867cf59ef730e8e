// The program-wide settings (the records, the lists, the language file, the schedule's flag)
// back at their start values. Every fixture that lets the program touch them calls this
// when it starts and when it ends, so no test sees what another one left.
#pragma once
#include "settings/Ini.h"
#include "settings/IniLang.h"
#include "settings/schedule.h"

inline void ResetSettings() {
    IniInfo = {};
    IniOptions = {};
    for (auto* l : {&PasswordList, &ApplicationList, &PhoneNumberList, &MailList, &PopServerList, &SignInList,
                   &LegacyMailboxList})
        l->clear();
    ProgramDir.clear();
    CloseLangFile();
    ScheduledRun = false;
}
