// The server text of a mailbox: whatever is typed, a text that is read names a host and a
// port, and reads the same when read again with the port it gave.
#include <cstdint>
#include <string>

#include "mail/ServerText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    uint16_t defaultPort = uint16_t(data[0] << 8 | data[1]) | 1;
    std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
    TMailServer server;
    if (!ParseServerText(text, defaultPort, server)) return 0;
    if (server.Host.empty() || server.Port == 0) __builtin_trap();
    if (server.Security != msPlain && server.Security != msImplicitTls && server.Security != msStartTls) __builtin_trap();
    // Written out in full, with its scheme and port, it reads back as the same mailbox.
    if (server.Protocol != mpPop3 && server.Protocol != mpImap) __builtin_trap();
    if ((server.Protocol == mpImap) != IsImapServerText(text)) __builtin_trap();
    static const char* const schemes[2][3] = {{"pop3://", "pops://", "pop3+starttls://"},
                                              {"imap://", "imaps://", "imap+starttls://"}};
    TMailServer again;
    if (!ParseServerText(schemes[server.Protocol][server.Security] + server.Host + ":" + std::to_string(server.Port), 110,
                         again))
        __builtin_trap();
    if (again.Host != server.Host || again.Port != server.Port || again.Security != server.Security ||
        again.Protocol != server.Protocol)
        __builtin_trap();
    return 0;
}
