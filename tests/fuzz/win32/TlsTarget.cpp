// The TLS client over a scripted plain socket whose "server" is the input.
// Input: [flags] [n] [n piece sizes] [the server's bytes]
//   flags bit 0: a simulated security provider (below) instead of the system's
//         bit 1: the host is an address literal (no server name in the hello)
//         bit 2: the simulated provider shows no certificate
//         bits 4-7: the reads after the handshake ask for 2^k bytes
//   piece sizes, used in turn: 0 a read that times out, 1-127 that many bytes, 128-255
//   (s - 127) * 64 bytes; when the bytes run out the server closes.
// The system's provider cannot finish a handshake with bytes made up in advance, so the
// record layer (Receive and its decrypt buffer) is reached through the simulated one: it
// frames TLS records like the system's and hands out buffers the way it documents
// (EXTRA for what follows a record, MISSING for an incomplete one), with a handshake
// record starting with 20 (Finished) ending the handshake, application data (23) coming
// out as it is, a close alert (21 with level/description x,0) closing, anything else failing.
#define SECURITY_WIN32
#include <windows.h>
#include <wincrypt.h>
#include <security.h>
#include <schannel.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/TlsSocket.h"
#include "tests/fuzz/win32/W32Fuzz.h"

namespace w32fuzz {
namespace {
// The TLS layer keeps at most this much undecrypted (plus one read of 8 KB).
const size_t kPendingCap = 64 * 1024 + 8192;

struct Script {
    std::string data;
    std::vector<unsigned char> sizes;
    size_t at = 0, piece = 0;
};

class ScriptedSocket : public platform::IBlockingSocket {
public:
    explicit ScriptedSocket(Script& s) : s_(s) {}
    int Id() const override { return 7; }
    int Send(const char* data, int len) override { return len; }
    int Receive(char* buf, int len, int timeoutMs) override {
        if (s_.at >= s_.data.size()) return 0;
        unsigned s = s_.sizes.empty() ? 255 : s_.sizes[s_.piece++ % s_.sizes.size()];
        if (s == 0) {
            error_ = platform::sockErrTimedOut;
            return -1;
        }
        size_t n = s < 128 ? s : (s - 127) * 64;
        if (n > static_cast<size_t>(len)) n = len;
        if (n > s_.data.size() - s_.at) n = s_.data.size() - s_.at;
        std::memcpy(buf, s_.data.data() + s_.at, n);
        s_.at += n;
        return static_cast<int>(n);
    }
    bool PeerConnected() override { return s_.at < s_.data.size(); }
    int LastError() const override { return error_; }

private:
    Script& s_;
    int error_ = 0;
};

// The provider's function table, patched while an input runs: every call that takes the
// undecrypted bytes is measured, and with sim set the calls go to the simulation.
PSecurityFunctionTableA table = nullptr;
SecurityFunctionTableA real;
bool sim = false, showCertificate = true;
size_t largestInput = 0;
volatile unsigned checksum = 0;  // of every byte the provider was given
std::string misuse;  // a way the TLS layer used the provider wrongly
PCCERT_CONTEXT certificate = nullptr;
char helloToken[] = "\x16\x03\x01\x00\x00";

unsigned RecordLength(const unsigned char* p) { return p[3] << 8 | p[4]; }

void Measure(const SecBuffer& b) {
    if (b.cbBuffer > largestInput) largestInput = b.cbBuffer;
    if (b.cbBuffer && !b.pvBuffer) misuse = "bytes without a buffer";
    unsigned char sum = 0;  // touches every byte: a wrong length faults here
    for (unsigned long i = 0; i < b.cbBuffer; ++i) sum += static_cast<unsigned char*>(b.pvBuffer)[i];
    checksum = checksum + sum;
}

SECURITY_STATUS SEC_ENTRY Initialize(PCredHandle cred, PCtxtHandle ctx, SEC_CHAR* target, unsigned long req,
                                     unsigned long r1, unsigned long rep, PSecBufferDesc input, unsigned long r2,
                                     PCtxtHandle newCtx, PSecBufferDesc output, unsigned long* attrs, PTimeStamp expiry) {
    if (input) {
        if (input->cBuffers < 2 || input->pBuffers[1].BufferType != SECBUFFER_EMPTY) misuse = "input buffers unprepared";
        Measure(input->pBuffers[0]);
    }
    if (!sim)
        return real.InitializeSecurityContextA(cred, ctx, target, req, r1, rep, input, r2, newCtx, output, attrs,
                                                 expiry);
    SecBuffer& out = output->pBuffers[0];
    out.pvBuffer = nullptr;
    out.cbBuffer = 0;
    if (!ctx) {
        newCtx->dwLower = newCtx->dwUpper = 1;
        out.pvBuffer = helloToken;
        out.cbBuffer = 5;
        return SEC_I_CONTINUE_NEEDED;
    }
    if (!input) return SEC_E_OK;  // the closing notice
    SecBuffer* in = input->pBuffers;
    const unsigned char* p = static_cast<unsigned char*>(in[0].pvBuffer);
    if (in[0].cbBuffer < 5 || in[0].cbBuffer < 5 + RecordLength(p)) return SEC_E_INCOMPLETE_MESSAGE;
    if (p[0] != 22) return SEC_E_ILLEGAL_MESSAGE;
    unsigned used = 5 + RecordLength(p);
    if (in[0].cbBuffer > used) in[1] = SecBuffer{in[0].cbBuffer - used, SECBUFFER_EXTRA, nullptr};
    if (used > 5 && p[5] == 20) return SEC_E_OK;
    out.pvBuffer = helloToken;
    out.cbBuffer = 5;
    return SEC_I_CONTINUE_NEEDED;
}

SECURITY_STATUS SEC_ENTRY Decrypt(PCtxtHandle ctx, PSecBufferDesc desc, unsigned long seq, unsigned long* qop) {
    SecBuffer* b = desc->pBuffers;
    if (desc->cBuffers != 4 || b[0].BufferType != SECBUFFER_DATA) misuse = "decrypt buffers unprepared";
    Measure(b[0]);
    if (!sim) return real.DecryptMessage(ctx, desc, seq, qop);
    unsigned char* p = static_cast<unsigned char*>(b[0].pvBuffer);
    unsigned long size = b[0].cbBuffer;
    if (size < 5 || size < 5 + RecordLength(p)) {
        b[0].BufferType = SECBUFFER_MISSING;
        b[0].cbBuffer = size < 5 ? 5 - size : 5 + RecordLength(p) - size;
        return SEC_E_INCOMPLETE_MESSAGE;
    }
    unsigned len = RecordLength(p);
    if (p[0] == 21 && len >= 2 && p[6] == 0) return SEC_I_CONTEXT_EXPIRED;
    if (p[0] == 22) return SEC_I_RENEGOTIATE;
    if (p[0] != 23) return SEC_E_DECRYPT_FAILURE;
    b[0] = SecBuffer{5, SECBUFFER_STREAM_HEADER, p};
    b[1] = SecBuffer{len, SECBUFFER_DATA, p + 5};
    b[2] = SecBuffer{0, SECBUFFER_STREAM_TRAILER, p + 5 + len};
    if (size > 5 + len) b[3] = SecBuffer{size - 5 - len, SECBUFFER_EXTRA, p + 5 + len};
    return SEC_E_OK;
}

SECURITY_STATUS SEC_ENTRY Encrypt(PCtxtHandle, unsigned long, PSecBufferDesc desc, unsigned long) {
    SecBuffer* b = desc->pBuffers;
    if (desc->cBuffers < 3 || b[0].cbBuffer != 5 || b[1].cbBuffer > 16384 || b[2].cbBuffer != 16)
        misuse = "encrypt buffers of the wrong sizes";
    return SEC_E_OK;
}

SECURITY_STATUS SEC_ENTRY Query(PCtxtHandle, unsigned long what, void* out) {
    if (what == SECPKG_ATTR_STREAM_SIZES) {
        *static_cast<SecPkgContext_StreamSizes*>(out) = SecPkgContext_StreamSizes{5, 16, 16384, 4, 16};
        return SEC_E_OK;
    }
    if (what != SECPKG_ATTR_REMOTE_CERT_CONTEXT || !showCertificate || !certificate) return SEC_E_UNSUPPORTED_FUNCTION;
    *static_cast<PCCERT_CONTEXT*>(out) = CertDuplicateCertificateContext(certificate);
    return SEC_E_OK;
}

SECURITY_STATUS SEC_ENTRY Acquire(SEC_CHAR*, SEC_CHAR*, unsigned long, void*, void*, SEC_GET_KEY_FN, void*,
                                  PCredHandle cred, PTimeStamp) {
    cred->dwLower = cred->dwUpper = 1;
    return SEC_E_OK;
}
SECURITY_STATUS SEC_ENTRY Done(PCredHandle) { return SEC_E_OK; }
SECURITY_STATUS SEC_ENTRY Control(PCtxtHandle, PSecBufferDesc) { return SEC_E_OK; }
SECURITY_STATUS SEC_ENTRY FreeBuffer(void*) { return SEC_E_OK; }  // the simulation's tokens are static

// Patches the table for one input and puts it back after.
struct Patch {
    Patch() {
        SecurityFunctionTableA t = real;
        t.InitializeSecurityContextA = Initialize;
        t.DecryptMessage = Decrypt;
        if (sim) {
            t.AcquireCredentialsHandleA = Acquire;
            t.FreeCredentialsHandle = Done;
            t.DeleteSecurityContext = Done;
            t.ApplyControlToken = Control;
            t.QueryContextAttributesA = Query;
            t.EncryptMessage = Encrypt;
            t.FreeContextBuffer = FreeBuffer;
        }
        *table = t;
    }
    ~Patch() { *table = real; }
};

bool Prepare() {
    char dir[MAX_PATH + 1] = {};
    UINT n = GetSystemDirectoryA(dir, MAX_PATH);
    HMODULE secur = LoadLibraryA((std::string(dir, n) + "\\secur32.dll").c_str());
    auto init = reinterpret_cast<INIT_SECURITY_INTERFACE_A>(
        reinterpret_cast<void (*)()>(GetProcAddress(secur, "InitSecurityInterfaceA")));
    if (!init || !(table = init())) return false;
    DWORD old;
    if (!VirtualProtect(table, sizeof(*table), PAGE_READWRITE, &old)) return false;
    real = *table;
    // A certificate for the simulated server: self-signed, so the check finds it untrusted.
    BYTE name[128];
    CERT_NAME_BLOB subject{sizeof(name), name};
    if (CertStrToNameA(X509_ASN_ENCODING, "CN=fuzz.test", CERT_X500_NAME_STR, nullptr, name, &subject.cbData, nullptr))
        certificate = CertCreateSelfSignCertificate(0, &subject, 0, nullptr, nullptr, nullptr, nullptr, nullptr);
    return true;
}
}  // namespace

std::string RunTls(const std::string& input) {
    static const bool ready = Prepare();
    if (!ready) return "the provider's function table is not there";
    if (input.size() < 2) return "";
    unsigned char flags = input[0];
    size_t n = static_cast<unsigned char>(input[1]);
    if (input.size() < 2 + n) return "";
    Script script;
    script.sizes.assign(input.begin() + 2, input.begin() + 2 + n);
    script.data = input.substr(2 + n);
    sim = flags & 1;
    showCertificate = !(flags & 4);
    largestInput = 0;
    misuse.clear();
    const int readLen = 1 << (flags >> 4);

    Patch patch;
    platform::TTlsPeer peer;
    std::unique_ptr<platform::IBlockingSocket> tls = platform::StartSystemTls(
        std::make_unique<ScriptedSocket>(script), flags & 2 ? "127.0.0.1" : "mail.fuzz.test", 5000, peer);
    if (!tls && peer.Problem.empty()) return "the handshake failed without a reason";
    size_t clear = 0;
    if (tls) {
        tls->Send("a NOOP\r\n", 8);
        std::vector<char> buf(readLen);
        for (;;) {
            int got = tls->Receive(buf.data(), readLen, 1000);
            if (got > readLen) return "Receive gave more than asked for";
            if (got < 0 && tls->LastError() == 0) return "Receive failed without an error number";
            if (got <= 0) break;
            clear += got;
            if (clear > script.data.size()) return "more clear text than the server sent";
        }
    }
    tls.reset();
    if (!misuse.empty()) return misuse;
    if (largestInput > kPendingCap) return "undecrypted bytes past the cap: " + std::to_string(largestInput);
    return "";
}
}  // namespace w32fuzz
