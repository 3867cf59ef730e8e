// Random bytes from CNG (bcrypt.dll) and DPAPI protection for the current user
// (crypt32.dll), both bound at run time: without them no sign-in starts and no token is kept.
#include <windows.h>
#include <wincrypt.h>
#include <bcrypt.h>

#include "platform/win32/SystemLibrary.h"
#include "platform/win32/Win32Https.h"

namespace platform {
namespace {

struct CryptoApi {
    decltype(&::BCryptGenRandom) random = nullptr;
    decltype(&::CryptProtectData) protect = nullptr;
    decltype(&::CryptUnprotectData) unprotect = nullptr;
};

const CryptoApi& Api() {
    static const CryptoApi api = [] {
        CryptoApi a;
        Bind(LoadSystemLibrary(L"bcrypt.dll"), a.random, "BCryptGenRandom");
        HMODULE crypt = LoadSystemLibrary(L"crypt32.dll");
        Bind(crypt, a.protect, "CryptProtectData");
        Bind(crypt, a.unprotect, "CryptUnprotectData");
        return a;
    }();
    return api;
}

// Extra entropy mixed into every blob: a blob is then of no use to another program that
// merely runs as the same user and calls the same function without it.
const char kEntropy[] = "Velmora mailbox sign-in";

bool Transform(bool protect, const std::string& in, std::string& out) {
    const CryptoApi& api = Api();
    if (!(protect ? api.protect != nullptr : api.unprotect != nullptr)) return false;
    DATA_BLOB input{DWORD(in.size()), reinterpret_cast<BYTE*>(const_cast<char*>(in.data()))};
    DATA_BLOB entropy{DWORD(sizeof(kEntropy) - 1), reinterpret_cast<BYTE*>(const_cast<char*>(kEntropy))};
    DATA_BLOB result{};
    // UI_FORBIDDEN: never a prompt from a mail check; the blob is bound to the user (no
    // LOCAL_MACHINE flag).
    BOOL ok = protect ? api.protect(&input, L"Velmora", &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &result)
                      : api.unprotect(&input, nullptr, &entropy, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &result);
    if (!ok) return false;
    out.assign(reinterpret_cast<const char*>(result.pbData), result.cbData);
    SecureZeroMemory(result.pbData, result.cbData);
    LocalFree(result.pbData);
    return true;
}

class Win32CryptoService : public ICrypto {
public:
    bool RandomBytes(size_t n, std::string& out) override {
        if (!Api().random) return false;
        std::string bytes(n, '\0');
        if (Api().random(nullptr, reinterpret_cast<PUCHAR>(bytes.data()), ULONG(n), BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0)
            return false;
        out = std::move(bytes);
        return true;
    }
    bool Protect(const std::string& plain, std::string& blob) override { return Transform(true, plain, blob); }
    bool Unprotect(const std::string& blob, std::string& plain) override { return Transform(false, blob, plain); }
};

}  // namespace

ICrypto& Win32Crypto() {
    static Win32CryptoService crypto;
    return crypto;
}

}  // namespace platform
