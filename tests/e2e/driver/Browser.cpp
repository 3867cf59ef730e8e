// A stand-in web browser for the sign-in tests, registered in the Wine prefix as the
// handler of http addresses: it follows the authorization address to its redirect as a
// user who clicks "Allow" does. Each answer goes to the log as "NAME STATUS", and the
// redirect's page as "page: TEXT". (A forged state and a second redirect are tried by the
// unit tests against the same listener.)
#include <winsock2.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Driver.h"

namespace drv {
namespace {

// One GET over a connection of its own; the status (0: no answer, -1: refused), the
// Location header and the text of the page's first paragraph.
struct Answer {
    int status = 0;
    std::string location, page;
};

Answer Get(const std::string& url) {
    Answer a;
    size_t hostAt = url.find("://");
    if (hostAt == std::string::npos) return a;
    hostAt += 3;
    size_t pathAt = url.find('/', hostAt);
    std::string authority = url.substr(hostAt, pathAt - hostAt), path = pathAt == std::string::npos ? "/" : url.substr(pathAt);
    size_t colon = authority.find(':');
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<u_short>(colon == std::string::npos ? 80 : std::atoi(authority.c_str() + colon + 1)));
    to.sin_addr.s_addr = inet_addr(authority.substr(0, colon).c_str());
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    if (connect(s, reinterpret_cast<sockaddr*>(&to), sizeof(to)) != 0) {
        closesocket(s);
        a.status = -1;
        return a;
    }
    std::string request = "GET " + path + " HTTP/1.1\r\nHost: " + authority + "\r\nConnection: close\r\n\r\n", answer;
    send(s, request.data(), static_cast<int>(request.size()), 0);
    for (;;) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval tv{10, 0};
        char buf[4096];
        int n = select(0, &set, nullptr, nullptr, &tv) == 1 ? recv(s, buf, sizeof(buf), 0) : 0;
        if (n <= 0) break;
        answer.append(buf, static_cast<size_t>(n));
    }
    closesocket(s);
    if (answer.compare(0, 5, "HTTP/") == 0 && answer.size() > 12) a.status = std::atoi(answer.c_str() + 9);
    size_t loc = answer.find("\r\nLocation: ");
    if (loc != std::string::npos) a.location = answer.substr(loc + 12, answer.find("\r\n", loc + 12) - loc - 12);
    size_t p = answer.find("<p>");
    if (p != std::string::npos) a.page = answer.substr(p + 3, answer.find("</p>", p) - p - 3);
    return a;
}

void Note(FILE* log, const char* name, const Answer& a) {
    std::fprintf(log, "%s %d\n", name, a.status);
    std::fflush(log);
}

}  // namespace

int Browse(const Call& c) {  // browse LOGFILE URL
    FILE* log = std::fopen(c.argv[2], "a");
    if (!log) return 1;
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    Answer authorize = Get(c.argv[3]);
    Note(log, "authorize", authorize);
    const std::string redirect = authorize.location;
    if (redirect.empty()) return 1;
    Answer real = Get(redirect);
    Note(log, "redirect", real);
    std::fprintf(log, "page: %s\n", real.page.c_str());
    std::fclose(log);
    return 0;
}

}  // namespace drv
