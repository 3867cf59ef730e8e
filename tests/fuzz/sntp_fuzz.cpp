// Network-time answers: whatever arrives as a datagram is checked against the request the
// client sent (its originate time patched in, so that the deeper checks are reached) and,
// when taken, turned into an offset and the clock record it would set.
#include <cmath>
#include <cstdint>
#include <string>

#include "net/SntpClient.h"
#include "tests/fuzz/FuzzPlatform.h"
#include "tests/unit/net/FakeSocketApi.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Platform& p = fuzz::Installed();
    if (size > 512) return 0;  // an answer is 48 bytes, with a MAC under 100
    // The pure check first, on the bytes as they are.
    sntp::Answer a = sntp::Check(data, size, 0);
    if (a.verdict == sntp::Verdict::Ok && size < sntp::kPacketSize) __builtin_trap();
    if (a.kissCode.size() > 4) __builtin_trap();

    FakeSocketApi api;
    platform::TSwapServices services([&](platform::Services& s) { s.asyncSockets = &api; });
    {
        TSntpClient client;
        client.SetAddr("127.0.0.8");
        client.SetPortNumber(12300);
        client.RandomBits = [] { return 0x2AAAAAu; };  // a finding must replay the same
        client.OnOffset = [](TObject*, double offset, double delay) {
            if (!std::isfinite(offset) || !std::isfinite(delay)) __builtin_trap();
            TSystemTime st = DateTimeToSystemTime(45000.5 + offset / 86400.0);
            if (st.Month < 1 || st.Month > 12 || st.Day < 1 || st.Day > 31 || st.Hour > 23) __builtin_trap();
        };
        client.GetTime();
        std::string answer(reinterpret_cast<const char*>(data), size);
        // The poll field (not checked) chooses whether our originate time is put in, as a real
        // answer has it.
        if (size >= 32 && (data[2] & 1)) answer.replace(24, 8, api.socks.at(api.Last()).sent.substr(40, 8));
        auto& k = api.socks.at(api.Last());
        k.from.addr = api.InetAddr("127.0.0.8");
        k.from.port = net::HostToNet16(12300);
        api.Arrive(api.Last(), answer);
        p.ui.ProcessMessages();
        p.clock.Advance(30000);
    }
    p.ui.ProcessMessages();
    return 0;
}
