// A fixture for the settings units: a fresh folder holding the "executable", the file-based
// profile service over it and a virtual clock; the settings globals start from zero.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "platform/Platform.h"
#include "platform/headless/Headless.h"
#include "platform/headless/DiskFileSystem.h"
#include "platform/headless/IniProfile.h"
#include "settings/Ini.h"
#include "settings/IniLang.h"
#include "tests/unit/settings/SettingsReset.h"

class SettingsTest : public ::testing::Test {
protected:
    SettingsTest() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "velmora-settings-XXXXXX").string();
        dir = mkdtemp(tmpl.data());
        dir += "/";
        services.emplace([this](platform::Services& s) {
            s.exePath = dir + "velmora.exe";
            s.profile = &profile;
            s.files = &files;
            s.clock = &clock;
        });
        ResetSettings();
    }
    ~SettingsTest() override {
        ResetSettings();
        services.reset();
        std::filesystem::remove_all(dir);
    }
    std::string Ini() const { return dir + "velmora.ini"; }
    void Lay(const std::string& name, const std::string& text) const {
        std::ofstream(dir + name, std::ios::binary) << text;
    }
    std::string Slurp(const std::string& name) const {
        std::ifstream f(dir + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    }
    std::string Get(const std::string& section, const std::string& key) {
        return profile.ReadString(Ini(), section, key, "<missing>");
    }

    std::string dir;
    headless::IniFileProfile profile;
    headless::DiskFileSystem files;
    headless::VirtualClock clock;
    std::optional<platform::TSwapServices> services;
};
