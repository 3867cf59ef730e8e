// The project's mail clients alone, for the mail check benchmark: logs in to one mailbox,
// reads the senders and subjects the mail check reads (POP3: every listed message; IMAP:
// the unseen ones), logs out, and says how many.
//   mailbench SERVER PORT USER PASSWORD     SERVER as in the settings ("imap://host" for IMAP)
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "mail/Imap.h"
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

template <class Client>
size_t Check(Client& client, char** argv) {
    client.SetHostname(argv[1]);
    client.SetPort(static_cast<uint16_t>(std::atoi(argv[2])));
    client.SetUserName(argv[3]);
    client.SetPassword(argv[4]);
    client.Login();
    client.GetHeaders();
    size_t n = client.MailLines.size();
    client.Logout();
    return n;
}

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: mailbench SERVER PORT USER PASSWORD\n");
        return 2;
    }
    headless::SystemClock clock;
    platform::Install({.clock = &clock, .blockingSockets = &VELMORA_BENCH_SOCKETS});
    platform::SystemBlockingSockets().Startup();
    try {
        size_t n = 0;
        if (std::strncmp(argv[1], "imap", 4) == 0) {
            T_Imap imap;
            n = Check(imap, argv);
        } else {
            T_Pop3 pop;
            n = Check(pop, argv);
        }
        std::printf("%zu\n", n);
    } catch (const ETcpIpError& e) {
        std::fprintf(stderr, "mailbench: %s\n", e.Message().c_str());
        return 1;
    }
    platform::SystemBlockingSockets().Cleanup();
    return 0;
}
