// Values a user can type into the settings dialog, each of which must read back from the
// settings file exactly as it was written. Shared by the native and the Wine tests.
#pragma once
#include <string>
#include <vector>

inline std::vector<std::string> TypedValues() {
    return {
        "\"C:\\Program Files\\Mail\\mail.exe\" \"/profile=Home\"",
        "\"C:\\Program Files\\Browser\\browser.exe\"",
        "'single quoted'",
        "\"",
        "\"\"",
        "\" \"",
        "'",
        "x\"",
        "\"x",
        "  two blanks before",
        "two blanks after  ",
        " ",
        "\tat tabs\t",
        "key=value=more",
        "=starts with an equals sign",
        "; looks like a comment",
        "a;b;c;",
        "[Section]",
        "Caf\xC3\xA9 cr\xC3\xA8me",
        "\xC3\xA9t\xC3\xA9",
        "\xC3\xBC",
        "\xCE\xA9mega \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\x89",  // beyond code page 1252
        "",
        std::string(1023, 'x'),
        " " + std::string(1021, 'y'),
    };
}

#include <gtest/gtest.h>

#include "settings/Ini.h"

// Every typed value through every text setting (the lists hold all of them), written with
// WriteIniFile and read back with ReadIniFile; reset() empties the settings in between.
template <class Reset>
void ExpectSettingsKeepTypedValues(Reset reset) {
    const std::vector<std::string> values = TypedValues();
    std::vector<std::string> passwords;
    for (const auto& v : values) passwords.push_back(v.substr(0, 255));  // passwords keep 255
    for (size_t i = 0; i < values.size(); ++i) {
        const std::string& v = values[i];
        reset();
        IniInfo.EmailApp = IniInfo.WebBrowser = IniInfo.SoundFile = IniInfo.Pop3Server = v;
        IniInfo.DialUpConnection = IniInfo.UsernameDUN = IniOptions.TimeServer = v;
        IniInfo.PasswordDUN = passwords[i];
        if (i == 0) {
            ApplicationList = PhoneNumberList = MailList = PopServerList = values;
            PasswordList = passwords;
        }
        WriteIniFile();
        reset();
        ReadIniFile();
        for (const std::string* got : {&IniInfo.EmailApp, &IniInfo.WebBrowser, &IniInfo.SoundFile,
                                       &IniInfo.Pop3Server, &IniInfo.DialUpConnection, &IniInfo.UsernameDUN,
                                       &IniOptions.TimeServer})
            EXPECT_EQ(*got, v) << "value " << i;
        EXPECT_EQ(IniInfo.PasswordDUN, passwords[i]) << "value " << i;
        if (i == 0) {
            EXPECT_EQ(ApplicationList, values);
            EXPECT_EQ(PhoneNumberList, values);
            EXPECT_EQ(MailList, values);
            EXPECT_EQ(PopServerList, values);
            EXPECT_EQ(PasswordList, passwords);
        }
    }
}
