// The POP3 client's whole mailbox check against a server whose every byte is the input:
// greeting, USER, PASS, LIST, CAPA, each TOP and QUIT, arriving in pieces of varying size.
#include <algorithm>
#include <cstdint>
#include <string>

#include "mail/tcpip.h"
#include "tests/fuzz/FuzzPlatform.h"
#include "tests/fuzz/InputServer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Installed();  // the clock the exchange deadlines are counted on
    fuzz::InputService service;
    service.data = data;
    service.size = size;
    T_Pop3 pop;
    pop.SetSockets(&service);
    pop.SetHostname("127.0.0.1");
    pop.SetUserName("ann");
    pop.SetPassword("secret");
    try {
        pop.Login();
        pop.GetHeaders();
        if (pop.MailLines.size() != pop.MessageList().size()) __builtin_trap();
    } catch (const ETcpIpError&) {
    }
    fuzz::LogOutQuietly(pop);
    return 0;
}
