// The asynchronous socket's name lookups: a dotted address answers at once, a name or a
// reverse lookup goes to the system and its answer comes back through the window.
#include "core/SysUtils.h"
#include "net/WSocket.h"
#include "net/WSocketWindow.h"

using namespace net;

void TCustomWSocket::DnsLookup(const std::string& host) { StartLookup(host, false); }

void TCustomWSocket::ReverseDnsLookup(const std::string& addr) { StartLookup(addr, true); }

void TCustomWSocket::StartLookup(const std::string& text, bool reverse) {
    if (text.empty()) {
        // Reported first; with OnError set the caller also hears the lookup end.
        ReportError("DNS lookup: invalid host name.");
        NotifyDnsLookupDone(WSAEINVAL_);
        return;
    }
    ISocketApi& api = Api();
    if (dnsRequest_ != 0) {
        api.CancelAsyncRequest(dnsRequest_);
        dnsRequest_ = 0;
    }
    dnsResult_.clear();
    dnsResultList_.clear();
    uint32_t a = api.InetAddr(text);
    if (!reverse && a != kInaddrNone) {
        dnsResult_ = AddrToText(a);
        dnsResultList_.push_back(dnsResult_);
        NotifyDnsLookupDone(0);
        return;
    }
    if (reverse && a == kInaddrNone) {
        // Not an address: asking for its name would look up 255.255.255.255.
        ReportError(Format("%s: can't start DNS lookup, error #", text) + IntToStr(WSAEINVAL_));
        return;
    }
    dnsRequest_ = reverse ? api.AsyncGetHostByAddr(window_->Window(), WM_ASYNCGETHOSTBYADDR, a)
                          : api.AsyncGetHostByName(window_->Window(), WM_ASYNCGETHOSTBYNAME, text);
    if (dnsRequest_ == 0) ReportError(Format("%s: can't start DNS lookup, error #", text) + IntToStr(api.LastError()));
}

void TCustomWSocket::CancelDnsLookup() {
    if (dnsRequest_ == 0) return;
    uintptr_t request = dnsRequest_;
    dnsRequest_ = 0;
    if (Api().CancelAsyncRequest(request) != 0) return ReportWinsockError("WSACancelAsyncRequest");
    if (!destroying_) NotifyDnsLookupDone(WSAEINTR_);
}

void TCustomWSocket::HandleLookupDone(uint32_t msg, uintptr_t wParam, intptr_t lParam) {
    if (dnsRequest_ == 0 || wParam != dnsRequest_) return;  // cancelled or superseded
    dnsRequest_ = 0;
    uint16_t error = static_cast<uint16_t>((static_cast<uint32_t>(lParam) >> 16) & 0xFFFF);
    std::vector<uint32_t> addrs;
    std::string name;
    Api().TakeLookupResult(wParam, addrs, name);
    if (error == 0) {
        if (msg == WM_ASYNCGETHOSTBYNAME) {
            for (uint32_t a : addrs) dnsResultList_.push_back(AddrToText(a));
            if (!dnsResultList_.empty()) dnsResult_ = dnsResultList_.front();
        } else {
            dnsResult_ = name;
            dnsResultList_.assign(1, name);
        }
    }
    NotifyDnsLookupDone(error);
}
