// The message lookup: English without a language file, translations with line breaks with one.
#include "settings/IniLang.h"

#include <gtest/gtest.h>

#include "SettingsFixture.h"

namespace {

using LangTest = SettingsTest;

TEST_F(LangTest, WithoutALanguageFileEveryTextIsTheEnglishOne) {
    ASSERT_EQ(LangFile, nullptr);
    EXPECT_EQ(GetLangText("Dialing......", "const_dialing"), "Dialing......");
    EXPECT_EQ(GetLangText("Dialing...", "const_dialing"), "Dialing...");
    EXPECT_EQ(GetLangText("Go in the Settings and then verify that your account is configured properly ", "const_error5"),
              "Go in the Settings and then verify that your account is configured properly ");
    EXPECT_EQ(GetLangText("Dialing alternate number : 555", "Dialing alternate number : 555"),
              "Dialing alternate number : 555");
}

TEST_F(LangTest, TranslatedTextsTurnTheSeparatorIntoLineBreaks) {
    const struct {
        const char* stored;
        const char* shown;
    } rows[] = {
        {"Getrennt", "Getrennt"},
        {"Nicht*|*verbunden", "Nicht\r\nverbunden"},
        {"Ende*|*", "Ende\r\n"},
        {"eins*|**|*zwei", "eins\r\n\r\nzwei"},
        {"*|*Anfang", "\r\nAnfang"},
        {"*|**|*Anfang", "\r\nAnfang"},
        {"a*|*b*|*c", "a\r\nb\r\nc"},
        {"*|*", "\r\n"},
    };
    std::string text = "[Misc]\n";
    int n = 0;
    for (const auto& r : rows) text += "const_k" + std::to_string(n++) + "=" + r.stored + "\n";
    text += "const_blank=\n";
    Lay("Deutsch.ini", text);
    IniOptions.MenuLanguage = "Deutsch.ini";
    OpenLangFile();
    ASSERT_NE(LangFile, nullptr);

    n = 0;
    for (const auto& r : rows) EXPECT_EQ(GetLangText("English", "const_k" + std::to_string(n++)), r.shown) << r.stored;
    EXPECT_EQ(GetLangText("Disconnected", "const_blank"), "Disconnected");
    EXPECT_EQ(GetLangText("Disconnected", "const_absent"), "Disconnected");
}

TEST_F(LangTest, TheLanguageFileOpensOnlyWhenItIsThere) {
    ReadIniFile();  // MenuLanguage defaults to English.ini, which the program does not ship
    OpenLangFile();
    EXPECT_EQ(LangFile, nullptr);

    Lay("English.ini", "[Other]\nconst_disc=not the Misc section\n");
    OpenLangFile();
    EXPECT_EQ(LangFile, nullptr);
    EXPECT_EQ(GetLangText("Disconnected", "const_disc"), "Disconnected");

    Lay("English.ini", "[Misc]\nconst_disc=Offline\n");
    OpenLangFile();
    ASSERT_NE(LangFile, nullptr);
    EXPECT_EQ(LangFile->FileName(), dir + "English.ini");
    EXPECT_EQ(GetLangText("Disconnected", "const_disc"), "Offline");

    IniOptions.MenuLanguage.clear();
    OpenLangFile();
    EXPECT_EQ(LangFile, nullptr);
}

}  // namespace
