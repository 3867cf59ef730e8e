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
    const TServerForm* full = nullptr;
    for (const TServerForm& f : ServerForms())
        if (!full && f.Protocol == std::string(server.Form->Protocol) && f.Security == server.Security) full = &f;
    if (!full) __builtin_trap();
    TMailServer again;
    if (!ParseServerText(std::string(full->Scheme) + "://" + server.Host + ":" + std::to_string(server.Port),
                         110, again))
        __builtin_trap();
    if (again.Host != server.Host || again.Port != server.Port || again.Security != server.Security ||
        again.Form->Protocol != server.Form->Protocol)
        __builtin_trap();
    return 0;
}
