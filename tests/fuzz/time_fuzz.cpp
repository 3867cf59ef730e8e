// TIME answers: whatever a server sends, in pieces, then closing; the answer is turned into
// the system time record the clock is set from.
#include <cstdint>
#include <string>

#include "net/WSTimeClient.h"
#include "tests/fuzz/FuzzPlatform.h"
#include "tests/unit/net/FakeSocketApi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Platform& p = fuzz::Installed();
    FakeSocketApi api;
    platform::TSwapServices services([&](platform::Services& s) { s.asyncSockets = &api; });
    {
        TWSTimeClient client;
        client.SetProto("tcp");
        client.SetAddr("127.0.0.2");
        client.OnTime = [](TObject*, TDateTime t) {
            TSystemTime st = DateTimeToSystemTime(t);
            if (st.Month < 1 || st.Month > 12 || st.Day < 1 || st.Day > 31 || st.Hour > 23) __builtin_trap();
        };
        client.GetTime();
        api.Notify(api.Last(), net::FD_CONNECT_);
        p.ui.ProcessMessages();
        // The first byte chooses the piece size; the rest arrives in such pieces.
        size_t piece = size ? 1 + data[0] % 8 : 1;
        for (size_t i = size ? 1 : 0; i < size && client.State() != wsClosed; i += piece) {
            api.Arrive(api.Last(), std::string(reinterpret_cast<const char*>(data) + i, std::min(piece, size - i)));
            p.ui.ProcessMessages();
        }
        if (client.State() != wsClosed) {
            api.Notify(api.Last(), net::FD_CLOSE_);
            p.ui.ProcessMessages();
        }
        p.clock.Advance(30000);
    }
    p.ui.ProcessMessages();
    return 0;
}
