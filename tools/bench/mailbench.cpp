// The project's POP3 client alone, for the mail check benchmark: logs in to one mailbox,
// lists it, reads every message's sender and subject, logs out, and says how many.
//   pop3bench HOST PORT USER PASSWORD
#include <cstdio>
#include <cstdlib>

#include "mail/tcpip.h"
#include "platform/Platform.h"
#include "platform/headless/SystemClock.h"
#ifdef _WIN32
#include "platform/win32/WinsockSocket.h"
#define VELMORA_BENCH_SOCKETS platform::WinsockBlockingSockets()
#else
#include "platform/headless/PosixSocket.h"
#define VELMORA_BENCH_SOCKETS platform::PosixBlockingSockets()
#endif

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: pop3bench HOST PORT USER PASSWORD\n");
        return 2;
    }
    headless::SystemClock clock;
    platform::SetClock(&clock);
    platform::SetBlockingSockets(&VELMORA_BENCH_SOCKETS);
    platform::SystemBlockingSockets().Startup();
    T_Pop3 pop;
    pop.SetHostname(argv[1]);
    pop.SetPort(static_cast<uint16_t>(std::atoi(argv[2])));
    pop.SetUserName(argv[3]);
    pop.SetPassword(argv[4]);
    try {
        pop.Login();
        pop.GetHeaders();
        size_t n = pop.MailLines.size();
        pop.Logout();
        std::printf("%zu\n", n);
    } catch (const ETcpIpError& e) {
        std::fprintf(stderr, "pop3bench: %s\n", e.Message().c_str());
        return 1;
    }
    platform::SystemBlockingSockets().Cleanup();
    return 0;
}
