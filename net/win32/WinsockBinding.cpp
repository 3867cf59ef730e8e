// Run-time binding of Windows Sockets 1.1; see WinsockBinding.h. The entry points are held
// in pointers whose types are those winsock.h declares (decltype), so a wrong signature is
// a compile error, and nothing here links the library itself.
#include "net/win32/WinsockBinding.h"

#include <windows.h>
#include <winsock.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "core/SysUtils.h"
#include "net/SocketErrors.h"
#include "platform/win32/Win32Platform.h"

namespace net::win32 {

namespace {

const char kLibName[] = "wsock32.dll";

#define VELMORA_WINSOCK_FUNCTIONS(X)                                                              \
    X(WSAStartup) X(WSACleanup) X(WSASetLastError) X(WSAGetLastError) X(WSAAsyncSelect) X(socket) \
    X(bind) X(getsockname) X(getpeername) X(connect) X(setsockopt) X(send) X(sendto) X(recv)       \
    X(recvfrom) X(ioctlsocket) X(shutdown) X(closesocket) X(inet_addr) X(gethostbyname)          \
    X(getservbyname) X(getprotobyname) X(WSAAsyncGetHostByName) X(WSAAsyncGetHostByAddr)         \
    X(WSACancelAsyncRequest)

class Binding : public ISocketApi {
public:
    ~Binding() override {
        // At program exit: stop and free the library if a socket left it loaded.
        try {
            Unload();
        } catch (...) {
        }
    }

    void Load() override {
        if (lib_) return;
        std::string path;
        auto lib = static_cast<HMODULE>(::win32::LoadSystemLibrary(kLibName, path));
        if (!lib) throw ESocketException(std::string("Unable to load ") + kLibName + " Error #" + IntToStr(GetLastError()));
        auto startup = reinterpret_cast<decltype(&::WSAStartup)>(reinterpret_cast<void*>(GetProcAddress(lib, "WSAStartup")));
        if (!startup) {
            DWORD e = GetLastError();
            FreeLibrary(lib);
            throw ESocketException(std::string("Procedure WSAStartup not found in ") + kLibName + " Error #" + IntToStr(e));
        }
        WSADATA data;
        int rc = startup(0x0101, &data);
        if (rc != 0) {
            FreeLibrary(lib);
            throw ESocketException(std::string(kLibName) + ": WSAStartup error #" + IntToStr(rc));
        }
        lib_ = lib;
        fWSAStartup = startup;
    }

    void Unload() override {
        if (!lib_) return;
        if (fWSACleanup || Find(fWSACleanup, "WSACleanup", false)) fWSACleanup();
        FreeLibrary(lib_);
        lib_ = nullptr;
#define VELMORA_FORGET(name) f##name = nullptr;
        VELMORA_WINSOCK_FUNCTIONS(VELMORA_FORGET)
#undef VELMORA_FORGET
    }

    bool Loaded() const { return lib_ != nullptr; }

    int LastError() override { return Fn(fWSAGetLastError, "WSAGetLastError")(); }
    void SetLastError(int code) override { Fn(fWSASetLastError, "WSASetLastError")(code); }

    TSocketHandle Socket(int family, int type, int protocol) override {
        SOCKET s = Fn(fsocket, "socket")(family, type, protocol);
        return s == INVALID_SOCKET ? kInvalidSocket : static_cast<TSocketHandle>(s);
    }
    int Bind(TSocketHandle s, const SockAddrIn& a) override {
        sockaddr_in sa = To(a);
        return Fn(fbind, "bind")(S(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    }
    int GetSockName(TSocketHandle s, SockAddrIn& a) override {
        sockaddr_in sa{};
        int len = sizeof sa;
        int rc = Fn(fgetsockname, "getsockname")(S(s), reinterpret_cast<sockaddr*>(&sa), &len);
        if (rc == 0) a = From(sa);
        return rc;
    }
    int GetPeerName(TSocketHandle s, SockAddrIn& a) override {
        sockaddr_in sa{};
        int len = sizeof sa;
        int rc = Fn(fgetpeername, "getpeername")(S(s), reinterpret_cast<sockaddr*>(&sa), &len);
        if (rc == 0) a = From(sa);
        return rc;
    }
    int Connect(TSocketHandle s, const SockAddrIn& a) override {
        sockaddr_in sa = To(a);
        return Fn(fconnect, "connect")(S(s), reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    }
    int SetSockOpt(TSocketHandle s, int level, int option, const void* value, int length) override {
        if (option == kSoLinger && length == sizeof(LingerOption)) {
            const auto* lo = static_cast<const LingerOption*>(value);
            linger l;
            l.l_onoff = lo->onOff;
            l.l_linger = lo->seconds;
            return Fn(fsetsockopt, "setsockopt")(S(s), level, option, reinterpret_cast<const char*>(&l), sizeof l);
        }
        return Fn(fsetsockopt, "setsockopt")(S(s), level, option, static_cast<const char*>(value), length);
    }
    int AsyncSelect(TSocketHandle s, IMessageWindow& window, uint32_t msg, uint32_t events) override {
        return Fn(fWSAAsyncSelect, "WSAAsyncSelect")(S(s), reinterpret_cast<HWND>(window.Handle()), msg,
                                                     static_cast<long>(events));
    }
    int Send(TSocketHandle s, const void* data, int length, int flags) override {
        return Fn(fsend, "send")(S(s), static_cast<const char*>(data), length, flags);
    }
    int SendTo(TSocketHandle s, const void* data, int length, int flags, const SockAddrIn& to) override {
        sockaddr_in sa = To(to);
        return Fn(fsendto, "sendto")(S(s), static_cast<const char*>(data), length, flags,
                                     reinterpret_cast<sockaddr*>(&sa), sizeof sa);
    }
    int Recv(TSocketHandle s, void* buffer, int size, int flags) override {
        return Fn(frecv, "recv")(S(s), static_cast<char*>(buffer), size, flags);
    }
    int RecvFrom(TSocketHandle s, void* buffer, int size, int flags, SockAddrIn* from) override {
        sockaddr_in sa{};
        int len = sizeof sa;
        int rc = Fn(frecvfrom, "recvfrom")(S(s), static_cast<char*>(buffer), size, flags,
                                           reinterpret_cast<sockaddr*>(&sa), &len);
        if (rc >= 0 && from) *from = From(sa);
        return rc;
    }
    int BytesWaiting(TSocketHandle s, uint32_t& count) override {
        u_long n = 0;
        int rc = Fn(fioctlsocket, "ioctlsocket")(S(s), FIONREAD, &n);
        if (rc == 0) count = static_cast<uint32_t>(n);
        return rc;
    }
    int Shutdown(TSocketHandle s, int how) override { return Fn(fshutdown, "shutdown")(S(s), how); }
    int CloseSocket(TSocketHandle s) override { return Fn(fclosesocket, "closesocket")(S(s)); }

    uint32_t InetAddr(const std::string& text) override {
        return static_cast<uint32_t>(Fn(finet_addr, "inet_addr")(text.c_str()));
    }
    std::vector<uint32_t> GetHostByName(const std::string& name) override {
        std::vector<uint32_t> out;
        hostent* h = Fn(fgethostbyname, "gethostbyname")(::win32::HostToWinsock(name).c_str());
        if (!h || h->h_addrtype != AF_INET || h->h_length != 4 || !h->h_addr_list) return out;
        for (char** p = h->h_addr_list; *p; ++p) {
            uint32_t a;
            std::memcpy(&a, *p, 4);
            out.push_back(a);
        }
        return out;
    }
    bool GetServByName(const std::string& name, const std::string& proto, uint16_t& port) override {
        servent* e = Fn(fgetservbyname, "getservbyname")(name.c_str(), proto.empty() ? nullptr : proto.c_str());
        if (!e) return false;
        port = NetToHost16(static_cast<uint16_t>(e->s_port));
        return true;
    }
    bool GetProtoByName(const std::string& name, int& number) override {
        protoent* e = Fn(fgetprotobyname, "getprotobyname")(name.c_str());
        if (!e) return false;
        number = e->p_proto;
        return true;
    }

    uintptr_t AsyncGetHostByName(IMessageWindow& window, uint32_t msg, const std::string& name) override {
        auto buf = std::make_unique<char[]>(MAXGETHOSTSTRUCT);
        const std::string host = ::win32::HostToWinsock(name);
        HANDLE h = Fn(fWSAAsyncGetHostByName, "WSAAsyncGetHostByName")(
            reinterpret_cast<HWND>(window.Handle()), msg, host.c_str(), buf.get(), MAXGETHOSTSTRUCT);
        if (!h) return 0;
        auto r = reinterpret_cast<uintptr_t>(h);
        results_[r] = std::move(buf);
        return r;
    }
    uintptr_t AsyncGetHostByAddr(IMessageWindow& window, uint32_t msg, uint32_t netAddr) override {
        auto buf = std::make_unique<char[]>(MAXGETHOSTSTRUCT);
        HANDLE h = Fn(fWSAAsyncGetHostByAddr, "WSAAsyncGetHostByAddr")(
            reinterpret_cast<HWND>(window.Handle()), msg, reinterpret_cast<const char*>(&netAddr), 4, AF_INET,
            buf.get(), MAXGETHOSTSTRUCT);
        if (!h) return 0;
        auto r = reinterpret_cast<uintptr_t>(h);
        results_[r] = std::move(buf);
        return r;
    }
    int CancelAsyncRequest(uintptr_t request) override {
        int rc = Fn(fWSACancelAsyncRequest, "WSACancelAsyncRequest")(reinterpret_cast<HANDLE>(request));
        // Cancelled or already finished: either way the library no longer writes the buffer.
        results_.erase(request);
        return rc;
    }
    void TakeLookupResult(uintptr_t request, std::vector<uint32_t>& addrs, std::string& name) override {
        auto it = results_.find(request);
        if (it == results_.end()) return;
        const auto* h = reinterpret_cast<const hostent*>(it->second.get());
        if (h->h_name) name = ::win32::HostFromWinsock(h->h_name);
        if (h->h_addrtype == AF_INET && h->h_length == 4 && h->h_addr_list) {
            for (char** p = h->h_addr_list; *p; ++p) {
                uint32_t a;
                std::memcpy(&a, *p, 4);
                addrs.push_back(a);
            }
        }
        results_.erase(it);
    }

private:
    std::map<uintptr_t, std::unique_ptr<char[]>> results_;
    static SOCKET S(TSocketHandle s) { return static_cast<SOCKET>(s); }
    static sockaddr_in To(const SockAddrIn& a) {
        sockaddr_in sa{};
        sa.sin_family = static_cast<short>(a.family);
        sa.sin_port = a.port;
        sa.sin_addr.s_addr = a.addr;
        return sa;
    }
    static SockAddrIn From(const sockaddr_in& sa) {
        SockAddrIn a;
        a.family = sa.sin_family;
        a.port = sa.sin_port;
        a.addr = sa.sin_addr.s_addr;
        return a;
    }

    template <class F>
    bool Find(F& slot, const char* name, bool raise) {
        FARPROC p = GetProcAddress(lib_, name);
        if (!p) {
            if (!raise) return false;
            throw ESocketException(std::string("Procedure ") + name + " not found in " + kLibName + " Error #" +
                                   IntToStr(GetLastError()));
        }
        slot = reinterpret_cast<F>(reinterpret_cast<void*>(p));
        return true;
    }
    // The entry point, loading the library and looking the function up on first use.
    template <class F>
    F Fn(F& slot, const char* name) {
        if (!slot) {
            Load();
            Find(slot, name, true);
        }
        return slot;
    }

    HMODULE lib_ = nullptr;
#define VELMORA_SLOT(name) decltype(&::name) f##name = nullptr;
    VELMORA_WINSOCK_FUNCTIONS(VELMORA_SLOT)
#undef VELMORA_SLOT
};

Binding& Instance() {
    static Binding b;
    return b;
}

}  // namespace

ISocketApi& Winsock() { return Instance(); }
bool WinsockLoaded() { return Instance().Loaded(); }

}  // namespace net::win32
