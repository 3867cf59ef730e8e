// The asynchronous socket's state machine, send queue and events; the resolvers and the
// Winsock error texts. The window-message plumbing is in WSocketWindow.cpp.
#include "net/WSocket.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/SysUtils.h"
#include "net/WSocketWindow.h"
#include "platform/Platform.h"

using namespace net;

// ---------------------------------------------------------------- resolvers and texts

bool IsDottedIP(const std::string& text) {
    size_t i = 0, n = text.size();
    while (i < n && text[i] == ' ') ++i;
    if (i < n && text[i] == '.') return false;
    int dots = 0;
    long part = 0;
    for (; i < n; ++i) {
        char c = text[i];
        if (c >= '0' && c <= '9') {
            part = part * 10 + (c - '0');
            if (part > 100000) part = 100000;  // enough to fail the 255 test, never overflows
        } else if (c == '.') {
            ++dots;
            if (dots > 3 || part > 255 || i + 1 >= n || text[i + 1] < '0' || text[i + 1] > '9') return false;
            part = 0;
        } else {
            for (; i < n; ++i)
                if (text[i] != ' ') return false;
            break;
        }
    }
    return dots == 3 && part <= 255;
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
bool LeadingNumber(const std::string& s, long max, long& value) {
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > max) return false;
    }
    return true;
}
}  // namespace

uint16_t WSocketResolvePort(const std::string& port, const std::string& proto) {
    if (port.empty() || port.size() >= 32) throw ESocketException("WSocketResolvePort: Invalid Port.");
    if (port[0] >= '0' && port[0] <= '9') {
        long v;
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
        long v;
        if (!LeadingNumber(p, 255, v)) throw ESocketException("WSocketResolveProto: Invalid Protocol.");
        return static_cast<int>(v);
    }
    int n = 0;
    if (p.empty() || !SocketApi().GetProtoByName(p, n))
        throw ESocketException(Format("WSocketResolveProto: Cannot convert protocol '%s'", p));
    return n;
}

std::string WinsockErrorText(int code) {
    switch (code) {
        case 0: return "No Error";
        case 10004: return "Interrupted system call";
        case 10009: return "Bad file number";
        case 10013: return "Permission denied";
        case 10014: return "Bad address";
        case 10022: return "Invalid argument";
        case 10024: return "Too many open files";
        case 10035: return "Operation would block";
        case 10036: return "Operation now in progress";
        case 10037: return "Operation already in progress";
        case 10038: return "Socket operation on non-socket";
        case 10039: return "Destination address required";
        case 10040: return "Message too long";
        case 10041: return "Protocol wrong type for socket";
        case 10042: return "Protocol not available";
        case 10043: return "Protocol not supported";
        case 10044: return "Socket type not supported";
        case 10045: return "Operation not supported on socket";
        case 10046: return "Protocol family not supported";
        case 10047: return "Address family not supported by protocol family";
        case 10048: return "Address already in use";
        case 10049: return "Address not available";
        case 10050: return "Network is down";
        case 10051: return "Network is unreachable";
        case 10052: return "Network dropped connection on reset";
        case 10053: return "Connection aborted";
        case 10054: return "Connection reset by peer";
        case 10055: return "No buffer space available";
        case 10056: return "Socket is already connected";
        case 10057: return "Socket is not connected";
        case 10058: return "Can't send after socket shutdown";
        case 10059: return "Too many references: can't splice";
        case 10060: return "Connection timed out";
        case 10061: return "Connection refused";
        case 10062: return "Too many levels of symbolic links";
        case 10063: return "File name too long";
        case 10064: return "Host is down";
        case 10065: return "No route to host";
        case 10066: return "Directory not empty";
        case 10067: return "Too many processes";
        case 10068: return "Too many users";
        case 10069: return "Disc quota exceeded";
        case 10070: return "Stale NFS file handle";
        case 10071: return "Too many levels of remote in path";
        case 10091: return "Network sub-system is unusable";
        case 10092: return "WinSock DLL cannot support this application";
        case 10093: return "WinSock not initialized";
        case 11001: return "Host not found";
        case 11002: return "Non-authoritative host not found";
        case 11003: return "Non-recoverable error";
        case 11004: return "No Data";
        default: return "Not a WinSock error";
    }
}

// ---------------------------------------------------------------- the component

TCustomWSocket::TCustomWSocket(TComponent* owner) : TComponent(owner) {
    window_ = std::make_unique<SocketWindow>(*this);
    TCustomWSocket::ResetDefaults();
    SocketCreated();
}

TCustomWSocket::~TCustomWSocket() {
    destroying_ = true;
    try {
        CancelDnsLookup();
    } catch (...) {
    }
    try {
        if (state_ != wsClosed) InternalClose(true, 0);
    } catch (...) {
        // A destructor must not throw; the handle is forgotten either way.
    }
    queue_.clear();
    window_.reset();
    SocketDestroyed();
}

ISocketApi& TCustomWSocket::Api() {
    ISocketApi& api = SocketApi();
    api.Load();
    return api;
}

void TCustomWSocket::ResetDefaults() {
    sin_ = SockAddrIn{};
    addrAssigned_ = portAssigned_ = false;
    addrResolved_ = portResolved_ = localPortResolved_ = protoResolved_ = false;
    protoStr_ = "tcp";
    protoAssigned_ = true;
    proto_ = kIpProtoTcp;
    sockType_ = kSockStream;
    localPortStr_ = "0";
    localPortNum_ = 0;
    localAddrStr_ = "0.0.0.0";
    lingerOnOff_ = wsLingerOn;
    lingerTimeout_ = 0;
    hSocket_ = kInvalidSocket;
    state_ = wsClosed;
    allSent_ = true;
    paused_ = false;
    readCount_ = 0;
    closeReported_ = false;
    flushTimeout_ = 60;
}

void TCustomWSocket::ChangeState(TSocketState newState) {
    TSocketState old = state_;
    state_ = newState;
    if (OnChangeState) OnChangeState(this, old, newState);
}

// ---- properties

namespace {
// The same text again is accepted silently in any state.
bool SameRemoteText(const std::string& stored, bool assigned, const std::string& v) { return assigned && stored == v; }
}  // namespace

void TCustomWSocket::SetAddr(const std::string& v) {
    if (SameRemoteText(addrStr_, addrAssigned_, v)) return;
    if (state_ != wsClosed) return ReportError("Cannot change Addr if not closed");
    addrStr_ = Trim(v);
    addrAssigned_ = !addrStr_.empty();
    addrResolved_ = false;
}

void TCustomWSocket::SetPort(const std::string& v) {
    if (SameRemoteText(portStr_, portAssigned_, v)) return;
    if (state_ != wsClosed) return ReportError("Cannot change Port if not closed");
    portStr_ = Trim(v);
    portAssigned_ = !portStr_.empty();
    portResolved_ = false;
}

void TCustomWSocket::SetProto(const std::string& v) {
    if (SameRemoteText(protoStr_, protoAssigned_, v)) return;
    if (state_ != wsClosed) return ReportError("Cannot change Proto if not closed");
    protoStr_ = Trim(v);
    protoAssigned_ = !protoStr_.empty();
    protoResolved_ = false;
}

void TCustomWSocket::SetLocalPort(const std::string& v) {
    if (state_ != wsClosed) return ReportError("Cannot change LocalPort if not closed");
    localPortStr_ = v;
    localPortResolved_ = false;
}

void TCustomWSocket::SetLocalAddr(const std::string& v) {
    if (state_ != wsClosed) return ReportError("Cannot change LocalAddr if not closed");
    // Parsed here rather than by the library: a setting given while the program is still
    // being built must not need Winsock loaded.
    std::string text = v.empty() ? "0.0.0.0" : v;
    uint32_t a = ParseDottedQuad(text);
    if (a == kInaddrNone) return ReportError("SetLocalAddr(): Invalid IP address");
    localAddrStr_ = AddrToText(a);
}

TSocketSendFlags TCustomWSocket::SendFlags() const {
    if (sendFlags_ == wsSendNormal || sendFlags_ == wsSendUrgent) return static_cast<TSocketSendFlags>(sendFlags_);
    const_cast<TCustomWSocket*>(this)->ReportError("Invalid internal SendFlags");
    return wsSendNormal;
}

void TCustomWSocket::SetSendFlags(int v) {
    if (v != wsSendNormal && v != wsSendUrgent) return ReportError("Invalid SendFlags");
    sendFlags_ = v;
}

std::string TCustomWSocket::PeerAddr() {
    if (state_ != wsConnected || hSocket_ == kInvalidSocket) return "error";
    SockAddrIn a;
    if (Api().GetPeerName(hSocket_, a) != 0) {
        ReportWinsockError("GetPeerName");
        return "error";
    }
    return AddrToText(a.addr);
}

std::string TCustomWSocket::PeerPort() {
    if (state_ != wsConnected || hSocket_ == kInvalidSocket) return "error";
    SockAddrIn a;
    if (Api().GetPeerName(hSocket_, a) != 0) {
        ReportWinsockError("GetPeerPort");
        return "error";
    }
    return IntToStr(NetToHost16(a.port));
}

int TCustomWSocket::QueuedBytes() const {
    int total = 0;
    for (const auto& b : queue_) total += b->Unread();
    return total;
}

// ---- error reporting

void TCustomWSocket::ReportError(const std::string& msg) {
    if (OnError) {
        NotifyError();
        return;
    }
    throw ESocketException(msg);
}

void TCustomWSocket::NotifyError() {
    if (OnError) OnError(this);
}

void TCustomWSocket::ReportWinsockError(const std::string& function) {
    ISocketApi& api = Api();
    int code = api.LastError();
    std::string text = "Error " + IntToStr(code) + " in function " + function + "\r\n" + WinsockErrorText(code);
    if (code == WSAECONNRESET_ || code == WSAENOTCONN_) {
        if (hSocket_ != kInvalidSocket) {
            api.CloseSocket(hSocket_);
            window_->Forget(hSocket_);
            hSocket_ = kInvalidSocket;
        }
        if (state_ != wsClosed) ChangeState(wsClosed);
    }
    lastError_ = code;
    ReportError(text);
}

// ---- events

bool TCustomWSocket::NotifyDataAvailable(uint16_t error) {
    if (!OnDataAvailable) return false;
    OnDataAvailable(this, error);
    return true;
}
void TCustomWSocket::NotifySessionConnected(uint16_t error) {
    if (OnSessionConnected) OnSessionConnected(this, error);
}
void TCustomWSocket::NotifySessionClosed(uint16_t error) {
    if (OnSessionClosed) OnSessionClosed(this, error);
}
void TCustomWSocket::NotifyDataSent(uint16_t error) {
    if (OnDataSent) OnDataSent(this, error);
}
void TCustomWSocket::NotifySessionAvailable(uint16_t error) {
    if (OnSessionAvailable) OnSessionAvailable(this, error);
}
void TCustomWSocket::NotifyDnsLookupDone(uint16_t error) {
    if (OnDnsLookupDone) OnDnsLookupDone(this, error);
}

// ---- connecting

void TCustomWSocket::Connect() {
    if (hSocket_ != kInvalidSocket && state_ != wsClosed) return ReportError("Connect: Socket already in use");
    if (!portAssigned_) return ReportError("Connect: No Port Specified");
    if (!addrAssigned_) return ReportError("Connect: No IP Address Specified");
    if (!protoAssigned_) return ReportError("Connect: No Protocol Specified");

    std::string failure;
    try {
        if (!protoResolved_) {
            proto_ = WSocketResolveProto(protoStr_);
            sockType_ = proto_ == kIpProtoUdp ? kSockDgram : kSockStream;
            protoResolved_ = true;
        }
        if (!portResolved_) {
            sin_.port = HostToNet16(WSocketResolvePort(portStr_, protoStr_));
            portResolved_ = true;
        }
        if (!localPortResolved_) {
            localPortNum_ = WSocketResolvePort(localPortStr_, protoStr_);
            localPortResolved_ = true;
        }
        if (!addrResolved_) {
            sin_.addr = WSocketResolveHost(addrStr_);
            addrResolved_ = true;
        }
    } catch (const Exception& e) {
        failure = "connect: " + e.Message();
    }
    if (!failure.empty()) return ReportError(failure);
    sin_.family = kAfInet;

    ISocketApi& api = Api();
    queue_.clear();
    allSent_ = true;
    hSocket_ = api.Socket(kAfInet, sockType_, proto_);
    if (hSocket_ == kInvalidSocket) return ReportWinsockError("Connect (socket)");
    ChangeState(wsOpened);

    // A failure from here on must not leave a socket behind in wsOpened, where every
    // later Connect would be refused as "already in use": the handle is closed first,
    // then the failure is reported with its own code.
    auto fail = [&](const std::string& function) {
        int code = api.LastError();
        if (hSocket_ != kInvalidSocket) {
            api.CloseSocket(hSocket_);
            window_->Forget(hSocket_);
            hSocket_ = kInvalidSocket;
        }
        if (state_ != wsClosed) ChangeState(wsClosed);
        api.SetLastError(code);
        lastError_ = code;
        ReportWinsockError(function);
    };
    auto failText = [&](const std::string& text) {
        if (hSocket_ != kInvalidSocket) {
            api.CloseSocket(hSocket_);
            window_->Forget(hSocket_);
            hSocket_ = kInvalidSocket;
        }
        if (state_ != wsClosed) ChangeState(wsClosed);
        ReportError(text);
    };

    if (sockType_ == kSockDgram) {
        std::string bindFailure = BindSocket();
        if (!bindFailure.empty()) return failText(bindFailure);
        if (sin_.addr == 0xFFFFFFFFu) {
            int one = 1;
            if (api.SetSockOpt(hSocket_, kSolSocket, kSoBroadcast, &one, sizeof one) != 0)
                return fail("setsockopt(SO_BROADCAST)");
        }
    } else {
        if (localPortNum_ != 0 || localAddrStr_ != "0.0.0.0") {
            std::string bindFailure = BindSocket();
            if (!bindFailure.empty()) return failText(bindFailure);
        }
        if (lingerOnOff_ != wsLingerNoSet) {
            LingerOption lo;
            lo.onOff = static_cast<uint16_t>(lingerOnOff_);
            lo.seconds = static_cast<uint16_t>(std::clamp<int32_t>(lingerTimeout_, 0, 65535));
            if (api.SetSockOpt(hSocket_, kSolSocket, kSoLinger, &lo, sizeof lo) != 0)
                return fail("setsockopt(SO_LINGER)");
        }
        int on = 1;
        if (api.SetSockOpt(hSocket_, kSolSocket, kSoKeepAlive, &on, sizeof on) != 0)
            return fail("setsockopt(SO_KEEPALIVE)");
        if (api.SetSockOpt(hSocket_, kSolSocket, kSoReuseAddr, &on, sizeof on) != 0)
            return fail("setsockopt(SO_REUSEADDR)");
    }
    if (api.AsyncSelect(hSocket_, window_->Window(), WM_ASYNCSELECT,
                        FD_READ_ | FD_WRITE_ | FD_ACCEPT_ | FD_CONNECT_ | FD_CLOSE_) != 0)
        return fail("WSAAsyncSelect");

    if (sockType_ == kSockDgram) {
        ChangeState(wsConnected);
        NotifySessionConnected(0);
        return;
    }
    if (api.Connect(hSocket_, sin_) == 0 || api.LastError() == WSAEWOULDBLOCK_) {
        ChangeState(wsConnecting);
        return;
    }
    fail("Connect");
}

std::string TCustomWSocket::BindSocket() {
    ISocketApi& api = Api();
    SockAddrIn local;
    local.family = kAfInet;
    local.port = HostToNet16(localPortNum_);
    try {
        local.addr = WSocketResolveHost(localAddrStr_);
    } catch (const Exception& e) {
        return e.Message();
    }
    if (api.Bind(hSocket_, local) != 0) {
        lastError_ = api.LastError();
        return "winsock.bind failed, error #" + IntToStr(lastError_);
    }
    SockAddrIn bound;
    if (api.GetSockName(hSocket_, bound) != 0) {
        lastError_ = api.LastError();
        return "winsock.getsockname failed, error #" + IntToStr(lastError_);
    }
    localPortNum_ = NetToHost16(bound.port);
    localPortStr_ = IntToStr(localPortNum_);
    return {};
}

void TCustomWSocket::ApplyLinger() {
    if (lingerOnOff_ == wsLingerNoSet) return;
    if (hSocket_ == kInvalidSocket) return ReportError("Cannot set linger option at this time");
    LingerOption lo;
    lo.onOff = static_cast<uint16_t>(lingerOnOff_);
    lo.seconds = static_cast<uint16_t>(std::clamp<int32_t>(lingerTimeout_, 0, 65535));
    if (Api().SetSockOpt(hSocket_, kSolSocket, kSoLinger, &lo, sizeof lo) != 0)
        ReportWinsockError("setsockopt(SO_LINGER)");
}

// ---- closing

void TCustomWSocket::Close() { InternalClose(true, 0); }

void TCustomWSocket::Abort() {
    try {
        CancelDnsLookup();
    } catch (const Exception&) {
    }
    queue_.clear();
    allSent_ = true;
    if (state_ == wsConnected && proto_ == kIpProtoTcp && hSocket_ != kInvalidSocket) {
        lingerOnOff_ = wsLingerOff;
        try {
            ApplyLinger();
        } catch (const Exception&) {
            // A hard close goes ahead even when the option cannot be set.
        }
    }
    InternalClose(false, 0);
}

void TCustomWSocket::Shutdown(int how) {
    if (hSocket_ != kInvalidSocket) Api().Shutdown(hSocket_, how);
}

void TCustomWSocket::CloseDelayed() { window_->Window().Post(WM_CLOSE_DELAYED, 0, 0); }

void TCustomWSocket::InternalClose(bool shut, uint16_t error) {
    if (hSocket_ == kInvalidSocket) {
        if (state_ != wsClosed) {
            ChangeState(wsClosed);
            ResetDefaults();
        }
        return;
    }
    if (state_ == wsClosed) return;
    ISocketApi& api = Api();
    if (shut) api.Shutdown(hSocket_, 1);
    if (api.CloseSocket(hSocket_) != 0) {
        lastError_ = api.LastError();
        if (lastError_ == WSAEWOULDBLOCK_) {
            // A lingering close that cannot finish at once: keep the program's messages
            // flowing meanwhile, but not for ever. Past the linger time (and a second more)
            // the close is made hard, which never waits.
            IClock& clock = platform::Clock();
            uint32_t start = clock.TickCount();
            uint32_t limit = static_cast<uint32_t>(std::clamp<int32_t>(lingerTimeout_, 0, 65535)) * 1000u + 1000u;
            bool hard = false;
            closing_ = true;
            while (true) {
                MessagePump();
                if (api.CloseSocket(hSocket_) == 0) break;
                lastError_ = api.LastError();
                if (lastError_ != WSAEWOULDBLOCK_) break;
                if (clock.TickCount() - start >= limit) {
                    if (hard) break;
                    LingerOption lo{1, 0};
                    api.SetSockOpt(hSocket_, kSolSocket, kSoLinger, &lo, sizeof lo);
                    hard = true;
                    continue;
                }
                clock.Sleep(10);
            }
            closing_ = false;
            if (lastError_ == WSAEWOULDBLOCK_) lastError_ = 0;
        }
        if (lastError_ != 0 && lastError_ != WSAEWOULDBLOCK_ && lastError_ != WSANOTINITIALISED_) {
            window_->Forget(hSocket_);
            hSocket_ = kInvalidSocket;
            api.SetLastError(lastError_);
            return ReportWinsockError("Disconnect (closesocket)");
        }
    }
    window_->Forget(hSocket_);
    hSocket_ = kInvalidSocket;
    ChangeState(wsClosed);
    if (!destroying_ && !closeReported_) {
        closeReported_ = true;
        NotifySessionClosed(error);
    }
    try {
        ResetDefaults();
    } catch (const Exception&) {
    }
}

// ---- sending

int32_t TCustomWSocket::Send(const void* data, int len) {
    if (state_ != wsConnected) {
        Api().SetLastError(WSAENOTCONN_);
        ReportWinsockError("Send");
        return -1;
    }
    allSent_ = false;
    if (len <= 0 || data == nullptr) {
        len = 0;
    } else {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        int left = len;
        if (!queue_.empty()) {
            int n = queue_.back()->Write(p, left);
            p += n;
            left -= n;
        }
        while (left > 0) {
            queue_.push_back(std::make_unique<TBuffer>(kSocketBufferSize));
            int n = queue_.back()->Write(p, left);
            p += n;
            left -= n;
        }
    }
    net::TSocketHandle s = hSocket_;
    TryToSend();
    // The connection died under the send: the data is lost, and saying it was taken
    // would report a failure as a success.
    if (hSocket_ != s) return -1;
    if (allSent_) window_->Window().Post(WM_ASYNCSELECT, s, MakeSelectLParam(FD_WRITE_, 0));
    return len;
}

int32_t TCustomWSocket::SendText(const std::string& s) { return Send(s.data(), static_cast<int>(s.size())); }

void TCustomWSocket::TryToSend() {
    if (hSocket_ == kInvalidSocket) return;
    // An OnSendData handler that sends again lands here while the loop below runs: its
    // bytes are queued, and the running loop sends them in turn.
    if (sending_) return;
    sending_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{sending_};
    const net::TSocketHandle s = hSocket_;
    ISocketApi& api = Api();
    while (true) {
        if (queue_.empty()) {
            allSent_ = true;
            return;
        }
        TBuffer& first = *queue_.front();
        int len = 0;
        const uint8_t* p = first.Peek(len);
        if (len > 0) {
            int n = sockType_ == kSockDgram ? api.SendTo(hSocket_, p, len, sendFlags_, sin_)
                                            : api.Send(hSocket_, p, len, sendFlags_);
            if (n == 0) return;
            if (n < 0) {
                int code = api.LastError();
                if (code == WSAEINVAL_ || code == WSAENOTSOCK_ || code == WSAECONNABORTED_ ||
                    code == WSAECONNRESET_ || code == WSAENOTCONN_) {
                    closeReported_ = true;
                    Close();
                    lastError_ = code;
                    NotifySessionClosed(static_cast<uint16_t>(code));
                    return;
                }
                if (code == WSAEWOULDBLOCK_) return;
                ReportWinsockError("TryToSend failed");
                return;
            }
            // Taken off the queue before the handler runs, which may send or close (the
            // block may be gone afterwards).
            first.Remove(n);
            if (OnSendData) OnSendData(this, n);
            if (hSocket_ != s || queue_.empty()) return;  // the handler closed the socket
            if (n < len) return;
            continue;
        }
        if (queue_.size() > 1) {
            queue_.pop_front();
            continue;
        }
        allSent_ = true;
        return;
    }
}

int32_t TCustomWSocket::SendTo(const SockAddrIn& dest, const void* data, int len) {
    if (hSocket_ == kInvalidSocket || data == nullptr || len < 0) return -1;
    int n = Api().SendTo(hSocket_, data, len, sendFlags_, dest);
    if (n > 0 && OnSendData) OnSendData(this, n);
    if (n < 0) lastError_ = Api().LastError();
    return n;
}

void TCustomWSocket::Flush() {
    if (sending_) return;  // called from a handler of the sending loop, which goes on sending
    while (hSocket_ != kInvalidSocket && !allSent_) {
        TryToSend();
        if (hSocket_ == kInvalidSocket || allSent_) break;
        MessagePump();
    }
}

// ---- receiving

int32_t TCustomWSocket::Receive(void* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    int n = Api().Recv(hSocket_, buffer, size, 0);
    if (n < 0)
        lastError_ = Api().LastError();
    else
        readCount_ += n;
    return n;
}

void TCustomWSocket::ReceiveText(std::string& s) {
    int32_t count = GetRcvdCount();
    // A failed count (-1) must not size the string: that would ask for ~4 GB.
    if (count <= 0) {
        s.clear();
        return;
    }
    s.assign(static_cast<size_t>(count), '\0');
    int n = Receive(s.data(), count);
    s.resize(n > 0 ? static_cast<size_t>(n) : 0);
}

int32_t TCustomWSocket::ReceiveFrom(void* buffer, int size, SockAddrIn& from, int& fromLen) {
    if (buffer == nullptr || size <= 0) return 0;
    int n = Api().RecvFrom(hSocket_, buffer, size, 0, &from);
    if (n < 0) {
        lastError_ = Api().LastError();
    } else {
        readCount_ += n;
        fromLen = static_cast<int>(sizeof(SockAddrIn));
    }
    return n;
}

int32_t TCustomWSocket::GetRcvdCount() {
    uint32_t count = 0;
    if (Api().BytesWaiting(hSocket_, count) != 0) {
        ReportWinsockError("ioctlSocket");
        return -1;
    }
    return static_cast<int32_t>(std::min<uint32_t>(count, 0x7FFFFFFF));
}

void TCustomWSocket::ReceiveLoop(uint16_t error) {
    ISocketApi& api = Api();
    net::TSocketHandle s = hSocket_;
    try {
        while (true) {
            lastError_ = 0;
            int32_t before = readCount_;
            bool discarded = false;
            if (!NotifyDataAvailable(error)) {
                char scratch[1024];
                int n = api.Recv(s, scratch, sizeof scratch, 0);
                if (n < 0) {
                    lastError_ = api.LastError();
                    if (lastError_ == WSAEWOULDBLOCK_) {
                        lastError_ = 0;
                        break;
                    }
                } else {
                    discarded = n > 0;
                }
            }
            if (lastError_ != 0) break;
            // The handler closed the socket: nothing is left to read from it.
            if (hSocket_ != s || s == kInvalidSocket) break;
            // A handler that leaves the data where it is would be called again and again
            // for ever; the system tells again when the data is read.
            if (!discarded && readCount_ == before) break;
            uint32_t waiting = 0;
            if (api.BytesWaiting(s, waiting) != 0) {
                lastError_ = api.LastError();
                break;
            }
            if (waiting == 0) break;
        }
    } catch (const Exception&) {
        // An event handler's exception only ends the loop.
    }
}

// ---- asynchronous name lookups

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

// ---- pausing, pumping

void TCustomWSocket::Pause() {
    paused_ = true;
    if (hSocket_ != kInvalidSocket) Api().AsyncSelect(hSocket_, window_->Window(), WM_ASYNCSELECT, 0);
}

void TCustomWSocket::Resume() {
    paused_ = false;
    if (hSocket_ != kInvalidSocket)
        Api().AsyncSelect(hSocket_, window_->Window(), WM_ASYNCSELECT, FD_READ_ | FD_WRITE_ | FD_CONNECT_ | FD_CLOSE_);
}

void TCustomWSocket::MessagePump() { platform::Ui().ProcessMessages(); }

// ---- socket events (called by the window plumbing for the current socket only)

void TCustomWSocket::HandleSocketEvent(uintptr_t wParam, intptr_t lParam) {
    const uint32_t events = static_cast<uint32_t>(lParam) & 0xFFFF;
    const uint16_t error = static_cast<uint16_t>((static_cast<uint32_t>(lParam) >> 16) & 0xFFFF);
    const net::TSocketHandle s = static_cast<net::TSocketHandle>(wParam);
    // Each step may close the socket (or a handler may close it and connect again); the
    // rest of the message then belongs to a session that is over.
    auto current = [&] { return hSocket_ == s; };
    if (events & FD_CONNECT_) {
        ChangeState(wsConnected);
        NotifySessionConnected(error);
        if (error != 0 && state_ != wsClosed) Close();
    }
    if ((events & FD_READ_) && current()) ReceiveLoop(error);
    if ((events & FD_WRITE_) && current()) {
        TryToSend();
        if (allSent_ && current()) NotifyDataSent(error);
    }
    if ((events & FD_ACCEPT_) && current()) NotifySessionAvailable(error);
    if ((events & FD_CLOSE_) && current() && state_ != wsConnecting) {
        ReceiveLoop(0);
        if (!current()) return;
        if (!closeReported_) {
            closeReported_ = true;
            NotifySessionClosed(error);
        }
        if (state_ != wsClosed && current()) Close();
    }
}

void TCustomWSocket::HandleBackgroundException(const Exception& e) {
    bool canClose = true;
    if (OnBgException) {
        try {
            OnBgException(this, e, canClose);
        } catch (...) {
        }
    }
    if (canClose) {
        try {
            Abort();
        } catch (...) {
        }
    }
}

// ---------------------------------------------------------------- pass-through layers

void TCustomSocksWSocket::ResetDefaults() {
    TCustomWSocket::ResetDefaults();
    socksServer_.clear();
    socksPort_.clear();
    socksLevel_ = "5";
}

void TCustomSocksWSocket::SetSocksLevel(const std::string& v) {
    if (State() != wsClosed) return ReportError("Can't change socks level if not closed");
    if (v != "4" && v != "4A" && v != "5") return ReportError("Invalid socks level. Must be 4, 4A or 5.");
    socksLevel_ = v;
}

void TCustomSocksWSocket::SetSocksServer(const std::string& v) {
    if (State() != wsClosed) return ReportError("Can't change socks server if not closed");
    socksServer_ = Trim(v);
}

void TCustomSocksWSocket::SetSocksPort(const std::string& v) {
    if (State() != wsClosed) return ReportError("Can't change socks port if not closed");
    socksPort_ = Trim(v);
}

void TCustomSocksWSocket::Connect() {
    // No proxy handshake is built; a proxy server that was given is refused rather than
    // silently bypassed, which would connect straight to the host the user meant to hide.
    if (!socksServer_.empty()) return ReportError("connect: proxy servers are not supported");
    TCustomWSocket::Connect();
}
