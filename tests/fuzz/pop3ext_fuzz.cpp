// The POP3 client's extensions against a server whose every byte is the input: STLS or TLS
// from the first byte (a pass-through TLS layer), the certificate accepted or refused, then
// the UIDL and CAPA listings; and the checks on a TLS peer's first bytes and on the name the
// hello carries.
#include <algorithm>
#include <cstdint>
#include <string>

#include "mail/tcpip.h"
#include "platform/TlsRecord.h"
#include "tests/fuzz/FuzzPlatform.h"
#include "tests/fuzz/InputServer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    if (!CouldStartTlsRecord(text.data(), text.size()) && text.size() >= 1 && (text[0] == 22 || text[0] == 21) &&
        (text.size() < 2 || text[1] == 3))
        __builtin_trap();
    std::string sni = ServerNameIndication(text);
    if (!sni.empty() && sni != text) __builtin_trap();

    fuzz::Installed();  // the clock the exchange deadlines are counted on
    uint8_t mode = data[0];
    fuzz::InputService service;
    service.data = data + 1;
    service.size = size - 1;
    service.trusted = mode & 4;
    T_Pop3 pop;
    pop.SetSockets(&service);
    pop.SetMailboxTimeout(20000, 10);
    static const char* const hosts[] = {"127.0.0.1", "pops://127.0.0.1", "pop3+starttls://127.0.0.1",
                                        "127.0.0.1:995"};
    pop.SetHostname(hosts[mode & 3]);
    pop.SetUserName("ann");
    pop.SetPassword("secret");
    bool accept = mode & 8;
    pop.OnCertificate = [accept](TObject*, const platform::TTlsPeer&) { return accept; };
    try {
        pop.Login();
        bool ids = pop.GetUniqueIds();
        for (const auto& m : pop.MessageList()) {
            if (m->UniqueId.size() > T_Pop3::MaxUniqueIdLength) __builtin_trap();
            if (!ids && !m->UniqueId.empty()) __builtin_trap();
        }
        pop.GetHeaders();
        if (pop.MailLines.size() != pop.MessageList().size()) __builtin_trap();
    } catch (const ETcpIpError&) {
    }
    fuzz::LogOutQuietly(pop);
    return 0;
}
