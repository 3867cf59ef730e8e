// The asynchronous socket's state machine, properties, connecting, closing and events. Its
// data path is in WSocketData.cpp, its name lookups in WSocketLookup.cpp, the window-message
// plumbing in WSocketWindow.cpp, the resolvers in Resolve.cpp.
#include "net/WSocket.h"

#include <algorithm>

#include "core/SysUtils.h"
#include "net/WSocketWindow.h"
#include "platform/Platform.h"

using namespace net;

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
    dataSentPosted_ = false;
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
        dataSentPosted_ = false;
        TryToSend();
        if (allSent_ && current()) NotifyDataSent(error);
    }
    if ((events & FD_ACCEPT_) && current()) NotifySessionAvailable(error);
    if ((events & FD_CLOSE_) && current() && state_ != wsConnecting) {
        ReceiveLoop(0);
        if (!current()) return;
        // Everything was sent before the peer closed; the event saying so is still queued
        // behind this one and will be dropped as stale once the socket is closed.
        if (dataSentPosted_ && allSent_) {
            dataSentPosted_ = false;
            NotifyDataSent(0);
            if (!current()) return;
        }
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
