// A test fixture that installs the headless platform: virtual clock, in-memory UI and
// recording widgets. Tests derive from it and drive time with clock.Advance(ms).
#pragma once
#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/headless/Headless.h"
#include "widgets/HeadlessWidgets.h"

class HeadlessTest : public ::testing::Test {
protected:
    HeadlessTest() : ui(clock) {
        platform::SetClock(&clock);
        platform::SetUi(&ui);
        platform::SetShell(&shell);
        widgets::SetFactory(&factory);
        Application().Initialize();
    }
    ~HeadlessTest() override {
        Application().MainForm = nullptr;
        platform::SetUi(nullptr);
        platform::SetClock(nullptr);
    }
    headless::VirtualClock clock;
    headless::HeadlessUi ui;
    headless::HeadlessShell shell;
    headless::WidgetFactory factory;
};
