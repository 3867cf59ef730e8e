// A fixture for the socket tests: the headless message queue and virtual clock, and the
// scripted socket library in place of Winsock.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "net/WSocket.h"
#include "platform/Platform.h"
#include "platform/headless/Headless.h"
#include "tests/unit/net/FakeSocketApi.h"

class SocketTest : public ::testing::Test {
protected:
    SocketTest() : ui(clock) {}
    // Records every event of a socket as one line each.
    void Record(TCustomWSocket& s) {
        s.OnChangeState = [this](TObject*, TSocketState o, TSocketState n) {
            log.push_back("state " + std::to_string(o) + "->" + std::to_string(n));
        };
        s.OnSessionConnected = [this](TObject*, uint16_t e) { log.push_back("connected " + std::to_string(e)); };
        s.OnSessionClosed = [this](TObject*, uint16_t e) { log.push_back("closed " + std::to_string(e)); };
        s.OnDataSent = [this](TObject*, uint16_t e) { log.push_back("sent " + std::to_string(e)); };
    }
    // Sets up a stream connection to 127.0.0.1:37 and completes it.
    void Connected(TCustomWSocket& s) {
        s.SetAddr("127.0.0.1");
        s.SetPort("37");
        s.Connect();
        api.Notify(api.Last(), net::FD_CONNECT_);
        ui.ProcessMessages();
        ASSERT_EQ(s.State(), wsConnected);
    }
    headless::VirtualClock clock;
    headless::HeadlessUi ui;
    FakeSocketApi api;
    platform::TSwapServices services{[this](platform::Services& s) {
        s.clock = &clock;
        s.ui = &ui;
        s.asyncSockets = &api;
    }};
    std::vector<std::string> log;
};

// The message of the socket exception fn raises, or "(nothing raised)".
inline std::string Raised(const std::function<void()>& fn) {
    try {
        fn();
    } catch (const ESocketException& e) {
        return e.Message();
    }
    return "(nothing raised)";
}
