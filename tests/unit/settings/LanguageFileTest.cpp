// The shipped translation: every text the program looks up is translated, keeps the spaces
// that join it to what follows, and arrives through the language setting.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include "SettingsFixture.h"

namespace {

std::string SourceRoot() {
    std::string src = __FILE__;
    return src.substr(0, src.rfind("/tests/unit/settings/"));
}

std::string ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Each key the program's sources look up, with its English text (adjacent literals joined).
std::map<std::string, std::string> LookedUpKeys() {
    std::map<std::string, std::string> keys;
    const std::regex call(R"re(GetLangText\(\s*((?:"[^"]*"\s*)+),\s*"(const_\w+)"\s*\))re");
    const std::regex literal(R"re("([^"]*)")re");
    for (const char* folder : {"app", "settings", "mail", "net", "dialup", "widgets"}) {
        for (const auto& e : std::filesystem::recursive_directory_iterator(SourceRoot() + "/" + folder)) {
            if (e.path().extension() != ".cpp") continue;
            std::string text = ReadAll(e.path().string());
            for (std::sregex_iterator m(text.begin(), text.end(), call), end; m != end; ++m) {
                std::string english, parts = (*m)[1];
                for (std::sregex_iterator l(parts.begin(), parts.end(), literal); l != end; ++l) english += (*l)[1];
                keys[(*m)[2]] = english;
            }
        }
    }
    return keys;
}

using LanguageFileTest = SettingsTest;

TEST_F(LanguageFileTest, FrenchTranslatesEveryLookedUpText) {
    auto keys = LookedUpKeys();
    ASSERT_GE(keys.size(), 25u) << "the scan of the sources found too few lookups";
    Lay("French.ini", ReadAll(SourceRoot() + "/resources/lang/French.ini"));
    IniOptions.MenuLanguage = "French.ini";
    OpenLangFile();
    ASSERT_NE(LangFile, nullptr);
    for (const auto& [key, english] : keys) {
        std::string shown = GetLangText(english, key);
        EXPECT_NE(shown, english) << key << " is not translated";
        // A text that runs on into a name or a number keeps its closing space.
        if (!english.empty() && english.back() == ' ') {
            EXPECT_EQ(shown.back(), ' ') << key;
        }
    }
}

}  // namespace
