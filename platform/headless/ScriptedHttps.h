// Headless backends of the sign-in's services: an HTTP client that answers from a script
// and records what was posted, and cryptography that is repeatable (counted random bytes, a
// reversible but visibly changed "protection"), so that tests see every step.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "platform/Crypto.h"
#include "platform/Https.h"

namespace headless {

class ScriptedHttps : public platform::IHttps {
public:
    struct Posted {
        std::string url, form;
    };
    // The answers to give, in order; one with Status 0 fails with its Problem. With none
    // left, every post fails ("no answer scripted").
    std::deque<platform::THttpsAnswer> answers;
    std::vector<Posted> posted;
    bool PostForm(const std::string& url, const std::string& form, int timeoutMs, platform::THttpsAnswer& answer) override;
};

class TestCrypto : public platform::ICrypto {
public:
    // Bytes 0, 1, 2, ... (wrapping) across calls; failRandom makes every call fail.
    bool RandomBytes(size_t n, std::string& out) override;
    // "protected:" followed by the bytes inverted; Unprotect refuses anything else.
    bool Protect(const std::string& plain, std::string& blob) override;
    bool Unprotect(const std::string& blob, std::string& plain) override;
    bool failRandom = false;

private:
    unsigned char next_ = 0;
};

}  // namespace headless
