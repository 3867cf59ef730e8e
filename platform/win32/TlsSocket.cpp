// A TLS client connection over a connected blocking socket, through the system's security
// provider: the handshake, the system's check of the certificate chain and host name, and
// the encrypting socket itself. The provider's library and the certificate functions are
// bound at run time from the system directory.
#define SECURITY_WIN32
#include "platform/win32/TlsSocket.h"

#include <windows.h>
#include <wincrypt.h>
#include <security.h>
#include <schannel.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/Sha256.h"
#include "core/Utf16.h"
#include "platform/TlsRecord.h"
#include "platform/win32/Win32Platform.h"

namespace platform {
namespace {

// The provider's library and the certificate functions, loaded once.
struct TlsApi {
    PSecurityFunctionTableW sspi = nullptr;
    decltype(&::CertGetCertificateChain) getChain = nullptr;
    decltype(&::CertVerifyCertificateChainPolicy) verifyPolicy = nullptr;
    decltype(&::CertFreeCertificateChain) freeChain = nullptr;
    decltype(&::CertFreeCertificateContext) freeCertificate = nullptr;
    std::string missing;  // what could not be loaded; empty when everything is there
};

template <class F>
bool Bind(HMODULE lib, F& fn, const char* name) {
    fn = lib ? reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(lib, name))) : nullptr;
    return fn != nullptr;
}

HMODULE LoadSystemLibrary(const char* name) {
    std::string path;
    return static_cast<HMODULE>(win32::LoadSystemLibrary(name, path));
}

const TlsApi& Api() {
    static const TlsApi api = [] {
        TlsApi a;
        HMODULE secur = LoadSystemLibrary("secur32.dll");
        decltype(&::InitSecurityInterfaceW) init = nullptr;
        if (!Bind(secur, init, "InitSecurityInterfaceW") || !(a.sspi = init())) {
            a.missing = "the system's security provider (secur32.dll) is missing";
            return a;
        }
        HMODULE crypt = LoadSystemLibrary("crypt32.dll");
        if (!Bind(crypt, a.getChain, "CertGetCertificateChain") ||
            !Bind(crypt, a.verifyPolicy, "CertVerifyCertificateChainPolicy") ||
            !Bind(crypt, a.freeChain, "CertFreeCertificateChain") ||
            !Bind(crypt, a.freeCertificate, "CertFreeCertificateContext"))
            a.missing = "the system's certificate functions (crypt32.dll) are missing";
        return a;
    }();
    return api;
}

std::string Hex(long code) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%08lX", static_cast<unsigned long>(code));
    return b;
}

// Why the system does not trust a certificate, in words a mailbox owner can act on.
std::string ChainProblem(DWORD error) {
    switch (error) {
        case static_cast<DWORD>(CERT_E_UNTRUSTEDROOT):
        case static_cast<DWORD>(CERT_E_CHAINING):
            return "the certificate is not issued by an authority this computer trusts";
        case static_cast<DWORD>(CERT_E_CN_NO_MATCH):
            return "the certificate is for another host name";
        case static_cast<DWORD>(CERT_E_EXPIRED):
            return "the certificate has expired or is not yet valid";
        case static_cast<DWORD>(CERT_E_REVOKED):
            return "the certificate has been revoked";
        default:
            return "the certificate could not be verified (" + Hex(static_cast<long>(error)) + ")";
    }
}

const DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                            ISC_REQ_EXTENDED_ERROR | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                            ISC_REQ_MANUAL_CRED_VALIDATION;
// More undecrypted bytes than a few TLS records is not a TLS peer.
const size_t kMaxPending = 64 * 1024;

class TlsSocket : public IBlockingSocket {
public:
    TlsSocket(std::unique_ptr<IBlockingSocket> plain, std::string host)
        : plain_(std::move(plain)), host_(std::move(host)), sni_(ServerNameIndication(host_)) {}

    ~TlsSocket() override {
        if (haveContext_) {
            SayGoodbye();
            Api().sspi->DeleteSecurityContext(&context_);
        }
        if (haveCredentials_) Api().sspi->FreeCredentialsHandle(&credentials_);
    }

    // The handshake and the certificate check; false with peer.Problem set on failure.
    // timeoutMs bounds the whole handshake, not each piece of it.
    bool Start(int timeoutMs, TTlsPeer& peer) {
        const TlsApi& api = Api();
        if (!api.missing.empty()) return Fail(peer, "TLS is not available: " + api.missing);
        SCHANNEL_CRED cred{};
        cred.dwVersion = SCHANNEL_CRED_VERSION;
        // The certificate is checked below, where a refusal can be explained to the user.
        cred.dwFlags = SCH_CRED_NO_DEFAULT_CREDS | SCH_CRED_MANUAL_CRED_VALIDATION;
        TimeStamp expiry;
        SECURITY_STATUS s = api.sspi->AcquireCredentialsHandleW(
            nullptr, const_cast<SEC_WCHAR*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND, nullptr, &cred, nullptr, nullptr,
            &credentials_, &expiry);
        if (s != SEC_E_OK) return Fail(peer, "the security provider refused TLS (" + Hex(s) + ")");
        haveCredentials_ = true;
        if (!Handshake(timeoutMs, peer)) return false;
        if (api.sspi->QueryContextAttributesW(&context_, SECPKG_ATTR_STREAM_SIZES, &sizes_) != SEC_E_OK)
            return Fail(peer, "the security provider gave no record sizes");
        return CheckCertificate(peer);
    }

    int Id() const override { return plain_->Id(); }
    bool PeerConnected() override { return !closed_ && plain_->PeerConnected(); }
    int LastError() const override { return error_; }

    int Send(const char* data, int len) override {
        int done = 0;
        while (done < len) {
            DWORD n = static_cast<DWORD>(len - done);
            if (n > sizes_.cbMaximumMessage) n = sizes_.cbMaximumMessage;
            std::string record(sizes_.cbHeader + n + sizes_.cbTrailer, '\0');
            char* p = &record[0];
            std::memcpy(p + sizes_.cbHeader, data + done, n);
            SecBuffer b[4] = {{sizes_.cbHeader, SECBUFFER_STREAM_HEADER, p},
                              {n, SECBUFFER_DATA, p + sizes_.cbHeader},
                              {sizes_.cbTrailer, SECBUFFER_STREAM_TRAILER, p + sizes_.cbHeader + n},
                              {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc desc{SECBUFFER_VERSION, 4, b};
            if (Api().sspi->EncryptMessage(&context_, 0, &desc, 0) != SEC_E_OK) {
                error_ = sockErrAborted;
                return -1;
            }
            int total = static_cast<int>(b[0].cbBuffer + b[1].cbBuffer + b[2].cbBuffer);
            if (plain_->Send(p, total) < 0) {
                error_ = plain_->LastError();
                return -1;
            }
            done += static_cast<int>(n);
        }
        return done;
    }

    int Receive(char* buf, int len, int timeoutMs) override {
        DWORD deadline = GetTickCount() + static_cast<DWORD>(timeoutMs < 0 ? 0 : timeoutMs);
        bool needMore = pending_.empty();
        while (clear_.empty()) {
            if (closed_) return 0;
            if (needMore) {
                DWORD now = GetTickCount();
                int left = static_cast<int>(deadline - now);
                int n = ReadMore(left > 0 ? left : 0);
                if (n <= 0) return n;
            }
            if (!Decrypt(needMore)) return -1;
        }
        int n = static_cast<int>(clear_.size()) < len ? static_cast<int>(clear_.size()) : len;
        std::memcpy(buf, clear_.data(), n);
        clear_.erase(0, n);
        return n;
    }

private:
    bool Fail(TTlsPeer& peer, const std::string& why) {
        peer.Problem = why;
        return false;
    }

    // Appends what the peer sends next; > 0 bytes, 0 closed, -1 error (error_ set).
    int ReadMore(int timeoutMs) {
        if (pending_.size() > kMaxPending) {
            error_ = sockErrAborted;
            return -1;
        }
        char b[8192];
        int n = plain_->Receive(b, sizeof(b), timeoutMs);
        if (n > 0) pending_.append(b, n);
        if (n < 0) error_ = plain_->LastError();
        return n;
    }

    bool SendToken(SecBuffer& token) {
        bool ok = true;
        if (token.pvBuffer && token.cbBuffer)
            ok = plain_->Send(static_cast<const char*>(token.pvBuffer), static_cast<int>(token.cbBuffer)) >= 0;
        if (token.pvBuffer) Api().sspi->FreeContextBuffer(token.pvBuffer);
        token.pvBuffer = nullptr;
        return ok;
    }

    bool Handshake(int timeoutMs, TTlsPeer& peer) {
        const TlsApi& api = Api();
        ULONG attributes = 0;
        TimeStamp expiry;
        // No name for an address literal: the hello then carries no server name at all.
        std::wstring name = Utf8ToWide(sni_);
        SEC_WCHAR* target = sni_.empty() ? nullptr : name.data();
        DWORD deadline = GetTickCount() + static_cast<DWORD>(timeoutMs < 0 ? 0 : timeoutMs);
        SecBuffer out{0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &out};
        SECURITY_STATUS s = api.sspi->InitializeSecurityContextW(&credentials_, nullptr, target, kContextFlags, 0, 0,
                                                                 nullptr, 0, &context_, &outDesc, &attributes,
                                                                 &expiry);
        if (s != SEC_I_CONTINUE_NEEDED) return Fail(peer, "the TLS handshake could not start (" + Hex(s) + ")");
        haveContext_ = true;
        if (!SendToken(out)) return Fail(peer, "the connection ended during the TLS handshake");
        bool needMore = true;
        int credentialRetries = 0;
        for (;;) {
            if (needMore) {
                int left = static_cast<int>(deadline - GetTickCount());
                if (left <= 0) return Fail(peer, "no TLS answer from the server in time");
                int n = ReadMore(left);
                if (n == 0) return Fail(peer, "the server ended the connection during the TLS handshake");
                if (n < 0) return Fail(peer, "no TLS answer from the server in time");
                // Only the server's first bytes tell a plain port from a TLS one: a later
                // flight may start with any record type (some servers end the handshake
                // with a ChangeCipherSpec record).
                if (!heardServer_) {
                    if (!CouldStartTlsRecord(pending_.data(), pending_.size()))
                        return Fail(peer, "this server does not speak TLS on that port");
                    heardServer_ = pending_.size() >= 2;
                }
            }
            SecBuffer in[2] = {{static_cast<unsigned long>(pending_.size()), SECBUFFER_TOKEN, &pending_[0]},
                               {0, SECBUFFER_EMPTY, nullptr}};
            SecBufferDesc inDesc{SECBUFFER_VERSION, 2, in};
            out = SecBuffer{0, SECBUFFER_TOKEN, nullptr};
            s = api.sspi->InitializeSecurityContextW(&credentials_, &context_, target, kContextFlags, 0, 0, &inDesc,
                                                     0, nullptr, &outDesc, &attributes, &expiry);
            if (s == SEC_E_INCOMPLETE_MESSAGE) {
                needMore = true;
                continue;
            }
            if (s == SEC_I_INCOMPLETE_CREDENTIALS && credentialRetries++ < 2) {
                // The server asks for a client certificate. We have none: asked again with
                // the same bytes, the provider goes on without one.
                if (out.pvBuffer) api.sspi->FreeContextBuffer(out.pvBuffer);
                needMore = false;
                continue;
            }
            // Also on failure: the token may be the alert that tells the server why.
            bool sent = SendToken(out);
            if (s != SEC_E_OK && s != SEC_I_CONTINUE_NEEDED && s != SEC_I_INCOMPLETE_CREDENTIALS)
                return Fail(peer, "the TLS handshake failed (" + Hex(s) + ")");
            if (!sent) return Fail(peer, "the connection ended during the TLS handshake");
            if (in[1].BufferType == SECBUFFER_EXTRA && in[1].cbBuffer > 0)
                pending_.erase(0, pending_.size() - in[1].cbBuffer);
            else
                pending_.clear();
            if (s == SEC_E_OK) return true;
            needMore = pending_.empty();
        }
    }

    bool CheckCertificate(TTlsPeer& peer) {
        const TlsApi& api = Api();
        PCCERT_CONTEXT cert = nullptr;
        if (api.sspi->QueryContextAttributesW(&context_, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &cert) != SEC_E_OK || !cert)
            return Fail(peer, "the server showed no certificate");
        peer.Fingerprint = Sha256Fingerprint(cert->pbCertEncoded, cert->cbCertEncoded);
        LPSTR usages[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH)};
        CERT_CHAIN_PARA para{};
        para.cbSize = sizeof(para);
        para.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
        para.RequestedUsage.Usage.cUsageIdentifier = 1;
        para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
        PCCERT_CHAIN_CONTEXT chain = nullptr;
        DWORD error = static_cast<DWORD>(CERT_E_CHAINING);
        if (api.getChain(nullptr, cert, nullptr, cert->hCertStore, &para, 0, nullptr, &chain) && chain) {
            std::wstring name = Utf8ToWide(host_);
            SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl{};
            ssl.cbSize = sizeof(ssl);
            ssl.dwAuthType = AUTHTYPE_SERVER;
            ssl.pwszServerName = &name[0];
            CERT_CHAIN_POLICY_PARA policy{};
            policy.cbSize = sizeof(policy);
            policy.pvExtraPolicyPara = &ssl;
            CERT_CHAIN_POLICY_STATUS status{};
            status.cbSize = sizeof(status);
            if (api.verifyPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status)) error = status.dwError;
            api.freeChain(chain);
        }
        api.freeCertificate(cert);
        peer.Trusted = error == 0;
        if (!peer.Trusted) peer.Problem = ChainProblem(error);
        return true;
    }

    // Decrypts what is pending into clear_; needMore tells whether a whole record is missing.
    bool Decrypt(bool& needMore) {
        SecBuffer b[4] = {{static_cast<unsigned long>(pending_.size()), SECBUFFER_DATA, &pending_[0]},
                          {0, SECBUFFER_EMPTY, nullptr},
                          {0, SECBUFFER_EMPTY, nullptr},
                          {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc{SECBUFFER_VERSION, 4, b};
        SECURITY_STATUS s = Api().sspi->DecryptMessage(&context_, &desc, 0, nullptr);
        if (s == SEC_E_INCOMPLETE_MESSAGE) {
            needMore = true;
            return true;
        }
        if (s == SEC_I_CONTEXT_EXPIRED) {  // the server's close notice
            closed_ = true;
            pending_.clear();
            return true;
        }
        if (s != SEC_E_OK) {
            // Renegotiation is not offered; anything else is a broken or forged record.
            error_ = sockErrAborted;
            return false;
        }
        std::string extra;
        for (SecBuffer& x : b) {
            if (x.BufferType == SECBUFFER_DATA && x.cbBuffer) clear_.append(static_cast<char*>(x.pvBuffer), x.cbBuffer);
            if (x.BufferType == SECBUFFER_EXTRA && x.cbBuffer) extra.assign(static_cast<char*>(x.pvBuffer), x.cbBuffer);
        }
        pending_ = std::move(extra);
        needMore = pending_.empty();
        return true;
    }

    // Tells the server that we close (its log then shows an orderly end).
    void SayGoodbye() {
        const TlsApi& api = Api();
        if (closed_ || !plain_->PeerConnected()) return;
        DWORD type = SCHANNEL_SHUTDOWN;
        SecBuffer in{sizeof(type), SECBUFFER_TOKEN, &type};
        SecBufferDesc inDesc{SECBUFFER_VERSION, 1, &in};
        if (api.sspi->ApplyControlToken(&context_, &inDesc) != SEC_E_OK) return;
        SecBuffer out{0, SECBUFFER_TOKEN, nullptr};
        SecBufferDesc outDesc{SECBUFFER_VERSION, 1, &out};
        ULONG attributes = 0;
        TimeStamp expiry;
        std::wstring name = Utf8ToWide(sni_);
        api.sspi->InitializeSecurityContextW(&credentials_, &context_, sni_.empty() ? nullptr : name.data(),
                                             kContextFlags, 0, 0, nullptr, 0, nullptr, &outDesc, &attributes, &expiry);
        SendToken(out);
    }

    std::unique_ptr<IBlockingSocket> plain_;
    std::string host_;
    std::string sni_;  // the name announced in the hello; empty for an address literal
    CredHandle credentials_{};
    CtxtHandle context_{};
    bool haveCredentials_ = false, haveContext_ = false;
    SecPkgContext_StreamSizes sizes_{};
    std::string pending_;  // received, not yet decrypted
    std::string clear_;    // decrypted, not yet taken
    bool closed_ = false;
    bool heardServer_ = false;  // the first bytes of the connection passed the plain-port check
    int error_ = 0;
};

}  // namespace

std::unique_ptr<IBlockingSocket> StartSystemTls(std::unique_ptr<IBlockingSocket> plain, const std::string& host,
                                                int timeoutMs, TTlsPeer& peer) {
    peer = TTlsPeer{};
    peer.Host = host;
    if (!plain) {
        peer.Problem = "no connection";
        return nullptr;
    }
    auto tls = std::make_unique<TlsSocket>(std::move(plain), host);
    if (!tls->Start(timeoutMs, peer)) return nullptr;
    return tls;
}

}  // namespace platform
