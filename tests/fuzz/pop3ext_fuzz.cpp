// The POP3 client's extensions against a server whose every byte is the input: STLS or TLS
// from the first byte (a pass-through TLS layer), the certificate accepted or refused, then
// the UIDL and CAPA listings; and the checks on a TLS peer's first bytes and on the name the
// hello carries.
#include <algorithm>
#include <cstdint>
#include <string>

#include "mail/TlsRecord.h"
#include "mail/tcpip.h"

namespace {

class InputSocket : public platform::IBlockingSocket {
public:
    InputSocket(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    int Id() const override { return 3; }
    int Send(const char*, int len) override { return len; }
    int Receive(char* buf, int len, int) override {
        if (pos_ >= size_) return 0;
        int piece = std::min<int>(len, 1 + data_[pos_] % 47);
        piece = std::min<int>(piece, int(size_ - pos_));
        std::copy(data_ + pos_, data_ + pos_ + piece, buf);
        pos_ += size_t(piece);
        return piece;
    }
    bool PeerConnected() override { return pos_ < size_; }
    int LastError() const override { return 0; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

class InputService : public platform::IBlockingSockets {
public:
    int Startup() override { return 0; }
    void Cleanup() override {}
    bool ResolveHost(const std::string&, uint32_t&) override { return false; }
    std::unique_ptr<platform::IBlockingSocket> Connect(uint32_t, uint16_t, int, int& error) override {
        error = 0;
        return std::make_unique<InputSocket>(data, size);
    }
    std::unique_ptr<platform::IBlockingSocket> StartTls(std::unique_ptr<platform::IBlockingSocket> plain,
                                                        const std::string& host, int timeoutMs,
                                                        platform::TTlsPeer& peer) override {
        if (timeoutMs < 0 || timeoutMs > 60000) __builtin_trap();
        peer = {host, trusted, trusted ? "" : "unknown issuer", "AA:BB"};
        return plain;
    }
    const uint8_t* data = nullptr;
    size_t size = 0;
    bool trusted = false;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    if (!CouldStartTlsRecord(text.data(), text.size()) && text.size() >= 1 && (text[0] == 22 || text[0] == 21) &&
        (text.size() < 2 || text[1] == 3))
        __builtin_trap();
    std::string sni = ServerNameIndication(text);
    if (!sni.empty() && sni != text) __builtin_trap();

    uint8_t mode = data[0];
    InputService service;
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
        pop.Logout();
    } catch (const ETcpIpError&) {
        try {
            pop.Logout();
        } catch (const ETcpIpError&) {
        }
    }
    return 0;
}
