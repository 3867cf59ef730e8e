// The token requests over WinHTTP: the system's certificate store decides on the server,
// the system's proxy settings apply, redirects are not followed (a token request answered
// elsewhere is no answer). winhttp.dll is bound at run time.
#include "platform/win32/Win32Https.h"

#include <windows.h>
#include <winhttp.h>

#include <memory>

#include "core/Utf16.h"
#include "net/OAuth.h"
#include "platform/win32/SystemLibrary.h"

namespace platform {
namespace {

struct HttpApi {
    decltype(&::WinHttpOpen) open = nullptr;
    decltype(&::WinHttpConnect) connect = nullptr;
    decltype(&::WinHttpOpenRequest) openRequest = nullptr;
    decltype(&::WinHttpSetTimeouts) setTimeouts = nullptr;
    decltype(&::WinHttpSetOption) setOption = nullptr;
    decltype(&::WinHttpSendRequest) send = nullptr;
    decltype(&::WinHttpReceiveResponse) receive = nullptr;
    decltype(&::WinHttpQueryHeaders) queryHeaders = nullptr;
    decltype(&::WinHttpReadData) read = nullptr;
    decltype(&::WinHttpCloseHandle) close = nullptr;
    bool ok = false;
};

const HttpApi& Api() {
    static const HttpApi api = [] {
        HttpApi a;
        HMODULE lib = LoadSystemLibrary(L"winhttp.dll");
        a.ok = Bind(lib, a.open, "WinHttpOpen") && Bind(lib, a.connect, "WinHttpConnect") &&
               Bind(lib, a.openRequest, "WinHttpOpenRequest") && Bind(lib, a.setTimeouts, "WinHttpSetTimeouts") &&
               Bind(lib, a.setOption, "WinHttpSetOption") && Bind(lib, a.send, "WinHttpSendRequest") &&
               Bind(lib, a.receive, "WinHttpReceiveResponse") && Bind(lib, a.queryHeaders, "WinHttpQueryHeaders") &&
               Bind(lib, a.read, "WinHttpReadData") && Bind(lib, a.close, "WinHttpCloseHandle");
        return a;
    }();
    return api;
}

struct HandleCloser {
    void operator()(void* h) const {
        if (h) Api().close(h);
    }
};
using Handle = std::unique_ptr<void, HandleCloser>;

std::string Failure(DWORD code) {
    switch (code) {
        case ERROR_WINHTTP_TIMEOUT: return "the sign-in provider did not answer in time";
        case ERROR_WINHTTP_NAME_NOT_RESOLVED: return "the sign-in provider's name is unknown";
        case ERROR_WINHTTP_CANNOT_CONNECT: return "the sign-in provider could not be reached";
        case ERROR_WINHTTP_SECURE_FAILURE: return "the sign-in provider's certificate is not trusted by this computer";
        default: return "the sign-in provider could not be reached (error " + std::to_string(code) + ")";
    }
}

class WinHttps : public IHttps {
public:
    bool PostForm(const std::string& url, const std::string& form, int timeoutMs, THttpsAnswer& answer) override {
        const HttpApi& api = Api();
        answer = THttpsAnswer();
        TUrl u;
        if (!api.ok) {
            answer.Problem = "the system's HTTP client (winhttp.dll) is missing";
            return false;
        }
        if (!SplitUrl(url, u)) {
            answer.Problem = "\"" + url + "\" is not an http or https address";
            return false;
        }
        auto fail = [&] {
            answer.Problem = Failure(GetLastError());
            return false;
        };
        Handle session(api.open(L"Velmora", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                WINHTTP_NO_PROXY_BYPASS, 0));
        if (!session) return fail();
        api.setTimeouts(session.get(), timeoutMs, timeoutMs, timeoutMs, timeoutMs);
        Handle connection(api.connect(session.get(), Utf8ToWide(u.Host).c_str(), u.Port, 0));
        if (!connection) return fail();
        Handle request(api.openRequest(connection.get(), L"POST", Utf8ToWide(u.Path).c_str(), nullptr,
                                       WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                       u.Scheme == "https" ? WINHTTP_FLAG_SECURE : 0));
        if (!request) return fail();
        DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
        api.setOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof(never));
        static const wchar_t headers[] = L"Content-Type: application/x-www-form-urlencoded\r\nAccept: application/json\r\n";
        if (!api.send(request.get(), headers, DWORD(-1), const_cast<char*>(form.data()), DWORD(form.size()),
                      DWORD(form.size()), 0) ||
            !api.receive(request.get(), nullptr))
            return fail();
        DWORD status = 0, size = sizeof(status);
        if (!api.queryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                              WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
            return fail();
        std::string body;
        char buf[4096];
        for (DWORD got = 0;; body.append(buf, got)) {
            if (!api.read(request.get(), buf, sizeof(buf), &got)) return fail();
            if (got == 0) break;
            if (body.size() + got > THttpsAnswer::MaxBody) {
                answer.Problem = "the sign-in provider's answer is too long";
                return false;
            }
        }
        answer.Status = int(status);
        answer.Body = std::move(body);
        return true;
    }
};

}  // namespace

IHttps& Win32Https() {
    static WinHttps https;
    return https;
}

}  // namespace platform
