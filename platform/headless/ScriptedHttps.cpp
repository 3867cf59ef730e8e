// Scripted HTTP answers and repeatable cryptography for tests; see ScriptedHttps.h.
#include "platform/headless/ScriptedHttps.h"

namespace headless {
namespace {
const std::string kMark = "protected:";

std::string Inverted(const std::string& s) {
    std::string out = s;
    for (char& c : out) c = char(~c);
    return out;
}
}  // namespace

bool ScriptedHttps::PostForm(const std::string& url, const std::string& form, int, platform::THttpsAnswer& answer) {
    posted.push_back({url, form});
    if (answers.empty()) {
        answer = {0, "", "no answer scripted"};
        return false;
    }
    answer = answers.front();
    answers.pop_front();
    return answer.Status != 0;
}

bool TestCrypto::RandomBytes(size_t n, std::string& out) {
    if (failRandom) return false;
    out.clear();
    for (size_t i = 0; i < n; ++i) out += char(next_++);
    return true;
}

bool TestCrypto::Protect(const std::string& plain, std::string& blob) {
    blob = kMark + Inverted(plain);
    return true;
}

bool TestCrypto::Unprotect(const std::string& blob, std::string& plain) {
    if (blob.compare(0, kMark.size(), kMark) != 0) return false;
    plain = Inverted(blob.substr(kMark.size()));
    return true;
}

}  // namespace headless
