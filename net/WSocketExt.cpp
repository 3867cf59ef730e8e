// TWSocketExt; see WSocketExt.h.
#include "net/WSocketExt.h"

#include <vector>

#include "core/NetText.h"
#include "core/SysUtils.h"
#include "platform/Platform.h"

TWSocketExt::TWSocketExt(TComponent* owner) : TWSocket(owner) { preserve_ = false; }

uint16_t TWSocketExt::PortNumber() const {
    uint32_t v = 0;
    return ParseDecimal(Port(), 65535, v) ? static_cast<uint16_t>(v) : 0;
}

void TWSocketExt::SetPortNumber(uint16_t n) { SetPort(IntToStr(n)); }

void TWSocketExt::ResetDefaults() {
    if (!preserve_) return TWSocket::ResetDefaults();
    std::string proto = Proto(), addr = Addr(), port = Port();
    TWSocket::ResetDefaults();
    SetProto(proto);
    SetAddr(addr);
    SetPort(port);
}

bool TWSocketExt::NotifyDataAvailable(uint16_t error) {
    std::string fromAddr;
    uint16_t fromPort = 0;
    int32_t count = GetRcvdCount();
    if (count <= 0) {
        // A failed count is not a length: receivers are told there is nothing.
        NotifyReceiveBuffer(nullptr, 0, fromPort, fromAddr);
        return true;
    }
    std::vector<uint8_t> buf(static_cast<size_t>(count), 0);
    net::SockAddrIn from;
    from.addr = 0;
    from.port = 0;
    int fromLen = 16;
    int32_t n = ReceiveFrom(buf.data(), count, from, fromLen);
    if (n < 0) n = 0;
    fromAddr = net::AddrToText(from.addr);
    fromPort = from.port;  // as stored: network byte order
    NotifyReceiveBuffer(n > 0 ? buf.data() : nullptr, n, fromPort, fromAddr);
    return true;
}

void TWSocketExt::NotifyReceiveBuffer(void* buf, int32_t count, uint16_t fromPort, const std::string& fromAddr) {
    if (OnReceiveBuffer) OnReceiveBuffer(this, buf, count, fromAddr, fromPort);
}

int32_t TWSocketExt::SendToAddr(const void* buf, int count, uint16_t port, const std::string& addr) {
    net::SockAddrIn to;
    to.family = net::kAfInet;
    to.port = net::HostToNet16(port);
    to.addr = WSocketResolveHost(addr);
    return SendTo(to, buf, count);
}

uint32_t TWSocketExt::ArrivalTick() {
    const uint32_t now = platform::Clock().TickCount();
    const uint32_t posted = platform::Ui().MessageTick();
    return posted != 0 && now - posted <= 60000 ? posted : now;
}
