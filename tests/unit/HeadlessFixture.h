// A test fixture that installs the headless platform: virtual clock, in-memory UI and
// recording widgets. Tests derive from it and drive time with clock.Advance(ms).
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
#include "tests/unit/net/FakeSocketApi.h"
#include "settings/Autostart.h"
#include "widgets/HeadlessWidgets.h"

class HeadlessTest : public ::testing::Test {
protected:
    HeadlessTest() : ui(clock) {
        platform::SetClock(&clock);
        platform::SetUi(&ui);
        platform::SetShell(&shell);
        platform::SetProfile(&profile);
        platform::SetRegistry(&registry);
        platform::SetFiles(&files);
        net::SetSocketApi(&sockets);
        ResetAutostartFirstWrite();
        // The program "runs" from a scratch folder of its own: its settings file lives there.
        char tmpl[] = "/tmp/velmora-test-XXXXXX";
        dir = mkdtemp(tmpl);
        platform::SetExePath(dir + "/velmora.exe");
        widgets::SetFactory(&factory);
        Application().Initialize();
    }
    ~HeadlessTest() override {
        // Every box the program showed answers F1 with a topic of the help file.
        for (const headless::AskedBox& box : ui.boxes)
            EXPECT_TRUE(std::any_of(std::begin(helpctx::kTopics), std::end(helpctx::kTopics),
                                    [&](const helpctx::Topic& t) { return t.number == box.helpContext; }))
                << "no help topic for the box \"" << box.text << "\" (" << box.helpContext << ")";
        Application().MainForm = nullptr;
        net::SetSocketApi(nullptr);
        platform::SetUi(nullptr);
        platform::SetClock(nullptr);
        std::filesystem::remove_all(dir);
    }
    std::string dir;
    headless::IniFileProfile profile;
    headless::MemoryRegistry registry;
    headless::DiskFileSystem files;
    FakeSocketApi sockets;  // the socket library, scripted
    headless::VirtualClock clock;
    headless::HeadlessUi ui;
    headless::HeadlessShell shell;
    headless::WidgetFactory factory;
};
