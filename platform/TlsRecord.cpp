// Checks on a TLS peer's first bytes and on the name sent in the client hello.
#include "platform/TlsRecord.h"

bool CouldStartTlsRecord(const char* data, size_t size) {
    if (size >= 1 && data[0] != 22 && data[0] != 21) return false;
    if (size >= 2 && data[1] != 3) return false;
    return true;
}

std::string ServerNameIndication(const std::string& host) {
    if (host.empty() || host.find(':') != std::string::npos || host.front() == '[') return "";
    // Digits and dots alone are an address (also a short or odd dotted form), no host name.
    if (host.find_first_not_of("0123456789.") == std::string::npos) return "";
    return host;
}
