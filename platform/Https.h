// The system's HTTP client, for the token requests of a sign-in: one form posted, one answer
// read. The Win32 backend is WinHTTP (the system's certificate store and proxy settings);
// the headless one answers from a script.
#pragma once
#include <string>

namespace platform {

struct THttpsAnswer {
    int Status = 0;        // the HTTP status of the answer
    std::string Body{};     // at most MaxBody bytes
    std::string Problem{};  // why no answer came, for the user
    static constexpr size_t MaxBody = 256 * 1024;
};

class IHttps {
public:
    virtual ~IHttps() = default;
    // POSTs form (application/x-www-form-urlencoded) to url (http or https; the caller has
    // checked which may be used) and reads the answer, waiting at most timeoutMs for each
    // step. True with Status and Body when any HTTP answer came, whatever its status; false
    // with Problem set when none did (no connection, a certificate the system refuses, time
    // out, a body longer than MaxBody). Nothing of form is traced or kept.
    virtual bool PostForm(const std::string& url, const std::string& form, int timeoutMs, THttpsAnswer& answer) = 0;
};

}  // namespace platform
