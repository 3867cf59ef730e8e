// A mail server whose every byte is the fuzz input, for the mail clients' targets: the input
// handed out in pieces whose sizes the input's own bytes choose.
#pragma once
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "mail/tcpip.h"
#include "platform/BlockingSocket.h"

namespace fuzz {

class InputSocket : public platform::IBlockingSocket {
public:
    InputSocket(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    int Id() const override { return 3; }
    int Send(const char*, int len) override { return len; }
    int Receive(char* buf, int len, int) override {
        if (pos_ >= size_) return 0;
        int piece = std::min<int>(len, 1 + data_[pos_] % 61);
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
    // TLS that passes the bytes through, with a certificate the system trusts or not. The
    // handshake is never given more than a reply's time.
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

// Ends a mail client's session whatever state a broken exchange left it in.
template <class Client>
void LogOutQuietly(Client& client) {
    try {
        client.Logout();
    } catch (const ETcpIpError&) {
    }
}

}  // namespace fuzz
