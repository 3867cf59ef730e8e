// A test fixture that installs the headless platform in one services record: virtual
// clock, in-memory UI, recording widgets, tray, programs and sounds. Tests derive from it
// and drive time with clock.Advance(ms).
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>

#include "core/HelpContexts.h"
#include "platform/Platform.h"
#include "platform/headless/Headless.h"
#include "platform/headless/IniProfile.h"
#include "platform/headless/MemoryRegistry.h"
#include "platform/headless/DiskFileSystem.h"
#include "tests/unit/NativeServices.h"
#include "tests/unit/net/FakeSocketApi.h"
#include "tests/unit/settings/SettingsReset.h"
#include "settings/Autostart.h"
#include "widgets/HeadlessWidgets.h"

class HeadlessTest : public ::testing::Test {
protected:
    HeadlessTest() : ui(clock) {
        ResetAutostartFirstWrite();
        ResetSettings();
        // The program "runs" from a scratch folder of its own: its settings file lives there.
        char tmpl[] = "/tmp/velmora-test-XXXXXX";
        dir = mkdtemp(tmpl);
        platform::Install({.clock = &clock, .ui = &ui, .profile = &profile, .registry = &registry, .files = &files,
                           .tray = &tray, .programs = &programs, .sound = &sound,
                           .blockingSockets = NativeServices().blockingSockets, .asyncSockets = &sockets,
                           .widgets = &factory, .exePath = dir + "/velmora.exe"});
        Application().Initialize();
    }
    ~HeadlessTest() override {
        // Every box the program showed answers F1 with a topic of the help file.
        for (const headless::AskedBox& box : ui.boxes)
            EXPECT_TRUE(std::any_of(std::begin(helpctx::kTopics), std::end(helpctx::kTopics),
                                    [&](const helpctx::Topic& t) { return t.number == box.helpContext; }))
                << "no help topic for the box \"" << box.text << "\" (" << box.helpContext << ")";
        Application().MainForm = nullptr;
        ResetSettings();
        platform::Install(NativeServices());
        std::filesystem::remove_all(dir);
    }
    std::string dir;
    headless::IniFileProfile profile;
    headless::MemoryRegistry registry;
    headless::DiskFileSystem files;
    FakeSocketApi sockets;  // the socket library, scripted
    headless::VirtualClock clock;
    headless::HeadlessUi ui;
    headless::HeadlessTray tray;
    headless::HeadlessPrograms programs;
    headless::HeadlessSound sound;
    headless::WidgetFactory factory;
};
