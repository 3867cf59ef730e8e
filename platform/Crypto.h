// The system's cryptography the sign-in needs: random bytes for PKCE and state values (CNG
// on Win32), and protection of a secret for the signed-in user only (DPAPI on Win32, bound to
// the user's logon), so that the settings file never holds a token in plain text.
#pragma once
#include <cstddef>
#include <string>

namespace platform {

class ICrypto {
public:
    virtual ~ICrypto() = default;
    // n bytes from the system's cryptographic random generator; false when it failed (the
    // caller must then not go on with weaker values).
    virtual bool RandomBytes(size_t n, std::string& out) = 0;
    // Encrypts plain for the current user; the blob is binary. False when the system refused.
    virtual bool Protect(const std::string& plain, std::string& blob) = 0;
    // The reverse; false for a blob of another user or computer, or a damaged one.
    virtual bool Unprotect(const std::string& blob, std::string& plain) = 0;
};

}  // namespace platform
