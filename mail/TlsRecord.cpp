// Checks on a TLS peer's first bytes and on the name sent in the client hello.
#include "mail/TlsRecord.h"

#include "mail/ip_misc.h"

bool CouldStartTlsRecord(const char* data, size_t size) {
    if (size >= 1 && data[0] != 22 && data[0] != 21) return false;
    if (size >= 2 && data[1] != 3) return false;
    return true;
}

std::string ServerNameIndication(const std::string& host) {
    uint32_t address = 0;
    if (host.empty() || host.find(':') != std::string::npos || host.front() == '[') return "";
    if (ParseDottedAddress(host, address)) return "";
    // Anything of digits and dots alone is no host name either (a short or odd dotted form).
    if (host.find_first_not_of("0123456789.") == std::string::npos) return "";
    return host;
}
