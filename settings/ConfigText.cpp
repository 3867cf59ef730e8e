// The settings dialog's helpers apart from its window: the time servers it offers, a box's
// text as it shows and as the settings file keeps it, the interval as typed, and placing.
#include "settings/Config.h"

#include <cctype>

#include "core/SysUtils.h"

const std::vector<std::string> kTimeServers = {
    "time.nist.gov",          "time-a-g.nist.gov",       "time-b-g.nist.gov",          "time-c-g.nist.gov",
    "time-d-g.nist.gov",      "time-e-g.nist.gov",       "time-a-wwv.nist.gov",        "time-b-wwv.nist.gov",
    "time-c-wwv.nist.gov",    "time-d-wwv.nist.gov",     "time-e-wwv.nist.gov",        "time-a-b.nist.gov",
    "time-b-b.nist.gov",      "time-c-b.nist.gov",       "time-d-b.nist.gov",          "time-e-b.nist.gov",
    "utcnist.colorado.edu",   "utcnist2.colorado.edu",   "time-a.nist.gov",            "time-b.nist.gov",
    "nist1-ny.ustiming.org",  "nist1-nj.ustiming.org",   "nist1-pa.ustiming.org",      "nist1-chi.ustiming.org",
    "nist1-atl.ustiming.org", "nist1-la.ustiming.org",   "nist1-lv.ustiming.org",      "nist1-sj.ustiming.org",
    "wolfnisttime.com",       "nist-time-server.eoni.com", "nist1.columbiacountyga.gov", "time.nist.gov",
    // Network-time servers (ntp://host[:port]), which almost every time server of today is.
    "ntp://pool.ntp.org",     "ntp://time.nist.gov",
};

// Another program may have set a box's text (WM_SETTEXT, as assistive tools and automation
// do) without the change notification that keeps Caption() current. A peer without a window
// to ask gives Caption().
std::string ShownText(const TControl& c) {
    std::string text;
    IControlPeer* peer = c.Peer();
    return peer && peer->ShownText(text) ? text : c.Caption();
}

// A line break would otherwise start a line of its own in the settings file.
std::string OneLine(const std::string& s) { return s.substr(0, s.find_first_of("\r\n")); }
std::vector<std::string> OneLine(const std::vector<std::string>& v) {
    std::vector<std::string> out;
    for (const std::string& s : v) out.push_back(OneLine(s));
    return out;
}

int ParseIntPosition(const std::string& text, int32_t& value) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    size_t digits = i;
    bool hex = false;
    if (i < text.size() && text[i] == '$') {
        hex = true;
        digits = ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        hex = true;
        digits = i += 2;
    }
    while (i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) ||
                               (hex && std::isxdigit(static_cast<unsigned char>(text[i])))))
        ++i;
    if (i < text.size() || i == digits) return static_cast<int>(i) + 1;
    return TryStrToInt(text, value) ? 0 : static_cast<int>(i) + 1;
}

void Place(TControl& c, int left, int top, int width, int height, const char* caption) {
    c.SetBounds(left, top, width, height);
    if (caption) c.SetCaption(caption);
}
