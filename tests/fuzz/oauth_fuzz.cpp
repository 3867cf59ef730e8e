// What a sign-in reads from outside: the JSON answers of token endpoints and mail servers'
// error challenges, and the requests a browser (or anything else on this computer) sends to
// the loopback redirect. The first byte picks the reader; properties that must hold:
// a string read from JSON is valid UTF-8, a redirect with a code carries our state, and the
// words for the user stay on one line.
#include <cstdint>
#include <string>

#include "core/Base64.h"
#include "mail/Sasl.h"
#include "net/Json.h"
#include "net/OAuth.h"

namespace {
bool ValidUtf8(const std::string& s) {
    for (size_t i = 0; i < s.size();) {
        uint8_t b = uint8_t(s[i]);
        size_t n = b < 0x80 ? 1 : b >= 0xC2 && b <= 0xDF ? 2 : b >= 0xE0 && b <= 0xEF ? 3 : b >= 0xF0 && b <= 0xF4 ? 4 : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (size_t k = 1; k < n; ++k)
            if ((uint8_t(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}
bool OneLine(const std::string& s) { return s.find_first_of("\r\n") == std::string::npos; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
        case 0: {
            TJsonObject json;
            if (ReadJsonObject(text, json))
                for (const auto& [name, value] : json.Members)
                    if (!ValidUtf8(name) || !ValidUtf8(value)) __builtin_trap();
            break;
        }
        case 1: {
            TRedirect r = ParseRedirectRequest(text, "/", "st4te");
            if (r.Kind == rkCode && (r.Code.empty() || text.find("st4te") == std::string::npos)) __builtin_trap();
            if (!OneLine(r.Error) || !OneLine(r.Description)) __builtin_trap();
            break;
        }
        case 2: {
            TTokenAnswer a = ReadTokenAnswer(200 + (data[0] >> 2) % 300, text);
            if (!OneLine(a.Problem) || (a.Outcome == toTokens) == a.AccessToken.empty()) __builtin_trap();
            break;
        }
        default: {
            if (!OneLine(SaslChallengeReason(Base64Encode(text))) || !OneLine(SaslChallengeReason(text))) __builtin_trap();
            // What decodes encodes back to the same text, padding aside.
            std::string decoded;
            if (Base64Decode(text, decoded)) {
                std::string again = Base64Encode(decoded, text.find_first_of("-_") != std::string::npos);
                auto unpadded = [](std::string s) { return s.substr(0, s.find('=')); };
                if (unpadded(again) != unpadded(text)) __builtin_trap();
            }
            break;
        }
    }
    return 0;
}
