// The settings file and the language file, as a user or another program may have left them.
#include <cstdint>
#include <string>

#include "settings/Ini.h"
#include "settings/IniLang.h"
#include "tests/fuzz/FuzzPlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Platform& p = fuzz::Installed();
    p.Write("velmora.ini", data, size);
    try {
        ReadIniFile();
    } catch (const EIniFileException&) {
        // a refused write of the converted mailbox layout: reported, not a fault
    }
    // The same bytes as a language file.
    p.Write("lang.ini", data, size);
    IniOptions.MenuLanguage = "lang.ini";
    OpenLangFile();
    GetLangText("Connected", "const_connected");
    GetLangText("Mail for : ", "const_MailFor");
    CloseLangFile();
    return 0;
}
