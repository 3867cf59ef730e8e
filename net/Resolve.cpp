// The asynchronous socket's blocking resolvers; see Resolve.h.
#include "net/Resolve.h"

#include <string_view>
#include <vector>

#include "core/NetText.h"
#include "core/SysUtils.h"
#include "net/SocketApi.h"

using namespace net;

bool IsDottedIP(const std::string& text) {
    // Only spaces are blanks here; a part's leading zeros are the library's to read.
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return false;
    size_t last = text.find_last_not_of(' ');
    uint32_t a = 0;
    return ParseIPv4(std::string_view(text).substr(first, last - first + 1), a, 0);
}

uint32_t WSocketResolveHost(const std::string& text) {
    // A blank text would reach gethostbyname as "" and resolve to this machine: refuse it
    // like an empty one.
    if (text.empty() || text.size() > 256 || Trim(text).empty())
        throw ESocketException("WSocketResolveHost: '" + text + "' Invalid Hostname.");
    std::string host = Trim(text);
    if (IsDottedIP(host)) {
        uint32_t a = SocketApi().InetAddr(host);
        if (a == kInaddrNone && host != "255.255.255.255")
            throw ESocketException("WSocketResolveHost: '" + host + "' Invalid IP address.");
        return a;
    }
    std::vector<uint32_t> addrs = SocketApi().GetHostByName(host);
    if (addrs.empty()) throw ESocketException(Format("WSocketResolveHost: Cannot convert host address '%s'", host));
    return addrs.front();
}

namespace {
// The value of the leading decimal digits; false when it exceeds max.
bool LeadingNumber(const std::string& s, uint32_t max, uint32_t& value) {
    size_t digits = 0;
    return LeadingDecimal(s, max, value, digits);
}
}  // namespace

uint16_t WSocketResolvePort(const std::string& port, const std::string& proto) {
    if (port.empty() || port.size() >= 32) throw ESocketException("WSocketResolvePort: Invalid Port.");
    if (port[0] >= '0' && port[0] <= '9') {
        uint32_t v;
        // A number beyond 65535 would silently become another port.
        if (!LeadingNumber(port, 65535, v)) throw ESocketException("WSocketResolvePort: Invalid Port.");
        return static_cast<uint16_t>(v);
    }
    uint16_t p = 0;
    if (!SocketApi().GetServByName(Trim(port), Trim(proto), p))
        throw ESocketException(Format("WSocketResolvePort: Cannot convert port '%s'", port));
    return p;
}

int WSocketResolveProto(const std::string& text) {
    if (text.empty() || text.size() >= 32) throw ESocketException("WSocketResolveProto: Invalid Protocol.");
    std::string p = Trim(text);
    if (!p.empty() && p[0] >= '0' && p[0] <= '9') {
        uint32_t v;
        if (!LeadingNumber(p, 255, v)) throw ESocketException("WSocketResolveProto: Invalid Protocol.");
        return static_cast<int>(v);
    }
    int n = 0;
    if (p.empty() || !SocketApi().GetProtoByName(p, n))
        throw ESocketException(Format("WSocketResolveProto: Cannot convert protocol '%s'", p));
    return n;
}
