// The file-based profile service the native tests use must read (and write) INI files as the
// platform does. Each case lays a hand-edited file down and asks both services the same
// questions; any difference is a fault in ours.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/headless/IniProfile.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/Win32Profile.h"
#include "tests/unit/settings/TypedValues.h"

namespace {

std::string TempDir() {
    char buf[MAX_PATH];
    DWORD n = GetTempPathA(MAX_PATH, buf);
    std::string dir = std::string(buf, n) + "velmora-profile-" + std::to_string(GetCurrentProcessId()) + "\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    return dir;
}

void Lay(const std::string& path, const std::string& text) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f << text;
}

std::string Slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// A question: a key's value (with a default), or the key names of a section (no key).
struct Ask {
    std::string section;
    std::optional<std::string> key;
    std::string def = "<def>";
};

std::string Answer(IProfile& p, const std::string& file, const Ask& q) {
    if (q.key) return "[" + p.ReadString(file, q.section, *q.key, q.def) + "]";
    std::string all = "keys:";
    for (const auto& k : p.ReadKeys(file, q.section)) all += "[" + k + "]";
    return all;
}

struct Case {
    const char* name;
    std::string text;
    std::vector<Ask> asks;
};

std::vector<Case> Cases() {
    const std::string longValue(1500, 'v');
    const std::string v1023(1023, 'a');
    const std::string v1022(1022, 'b');
    return {
        {"crlf", "[Sec]\r\nkey=value\r\nother=2\r\n",
         {{"Sec", "key"}, {"sec", "KEY"}, {" Sec ", " key "}, {"Sec", "missing"}, {"Nope", "key"}, {"Sec", {}},
          {"Nope", {}}}},
        {"lf only", "[A]\nx=1\ny = 2 \n", {{"A", "x"}, {"A", "y"}, {"A", {}}}},
        {"cr only", "[A]\rx=1\ry=2\r", {{"A", "x"}, {"A", "y"}, {"A", {}}}},
        {"no final line end", "[A]\nx=1\ny=last", {{"A", "x"}, {"A", "y"}, {"A", {}}}},
        {"blanks around names and values", "  [A]  \r\n\t x \t=\t spaced value \t\r\n  y=  \r\n",
         {{"A", "x"}, {"A", "y"}, {"A", {}}}},
        {"quotes",
         "[Q]\nd=\"double\"\ns='single'\nm=\"mixed'\nh=\"\nhh=\"\"\ni=\" inner \"\nq1='a'\nmid=a\"b\"\n",
         {{"Q", "d"}, {"Q", "s"}, {"Q", "m"}, {"Q", "h"}, {"Q", "hh"}, {"Q", "i"}, {"Q", "q1"}, {"Q", "mid"}}},
        {"comments", "; heading\n[A]\n; note\n;x=1\nx=2\n# y=3\n",
         {{"A", "x"}, {"A", "# y"}, {"A", {}}}},
        {"lines without equals", "[A]\nnoval\nm0=a\nm1\nm2=c\n",
         {{"A", "m0"}, {"A", "m1"}, {"A", "m2"}, {"A", "noval"}, {"A", {}}}},
        {"duplicate keys and sections", "[A]\nx=1\nx=2\n[B]\ny=1\n[A]\nx=3\nz=4\n",
         {{"A", "x"}, {"A", "z"}, {"B", "y"}, {"A", {}}}},
        {"keys before the first section", "x=0\n[A]\nx=1\n", {{"A", "x"}, {"A", {}}}},
        {"empty values", "[A]\nx=\ny=   \n", {{"A", "x", "dflt"}, {"A", "y", "dflt"}, {"A", {}}}},
        {"odd brackets", "[A\nx=1\n[B] trailing\ny=2\n[ C ]\nz=3\n[D]]\nw=4\n",
         {{"A", "x"}, {"[A", "x"}, {"B", "y"}, {"C", "z"}, {" C ", "z"}, {"D", "w"}, {"D]", "w"}, {"B", {}}}},
        {"case of names", "[sEcTiOn]\nKeY=v\n", {{"SECTION", "key"}, {"section", {}}}},
        {"equals in the value", "[A]\nx=a=b\n", {{"A", "x"}}},
        {"long values", "[L]\nlong=" + longValue + "\nexact=" + v1023 + "\nq=\"" + v1022 + "\"\n",
         {{"L", "long"}, {"L", "exact"}, {"L", "q"}}},
        {"list section with a gap", "[Mail]\nm0=a\nm1=b\nm3=d\n", {{"Mail", {}}, {"Mail", "m2", ""}}},
        {"empty file", "", {{"A", "x"}, {"A", {}}}},
    };
}

class ProfileConformance : public ::testing::Test {
protected:
    ~ProfileConformance() override {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    std::string dir = TempDir();
    Win32Profile win;
    win32::FileSystem codePage;
    headless::IniFileProfile ours;
    // Files without a mark hold the system's code page, as the platform's do.
    bool sameCodePage = (ours.codePage = &codePage) != nullptr;
};

TEST_F(ProfileConformance, HandEditedFilesReadAlike) {
    int n = 0;
    for (const auto& c : Cases()) {
        // A file name of its own per case: the platform may cache a file it has read.
        std::string file = dir + "read" + std::to_string(n++) + ".ini";
        Lay(file, c.text);
        for (const auto& q : c.asks) {
            EXPECT_EQ(Answer(ours, file, q), Answer(win, file, q))
                << c.name << ": [" << q.section << "] " << (q.key ? *q.key : "(keys)");
        }
    }
    // And the answers are real ones, not two services agreeing on nothing.
    std::string file = dir + "read0.ini";
    EXPECT_EQ(win.ReadString(file, " sec ", "KEY", "d"), "value");
    EXPECT_EQ(win.ReadKeys(file, "Sec"), (std::vector<std::string>{"key", "other"}));
}

TEST_F(ProfileConformance, MissingFileReadsAsDefaults) {
    std::string file = dir + "absent.ini";
    DeleteFileA(file.c_str());
    for (const Ask& q : {Ask{"A", "x"}, Ask{"A", {}}}) EXPECT_EQ(Answer(ours, file, q), Answer(win, file, q));
}

// The same writes through each service, then each result read through both.
TEST_F(ProfileConformance, WritesLeaveFilesThatReadAlike) {
    struct Op {
        std::string section;
        std::optional<std::string> key;  // none: erase the section
        std::string value;
    };
    const std::vector<std::pair<std::string, std::vector<Op>>> scripts = {
        {"", {{"A", "x", "1"}, {"B", "y", "2"}, {"A", "z", "3"}, {"B", {}, ""}, {"A", "x", "   lead"}}},
        {"; keep me\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n",
         {{"a", "X", "changed"}, {"A", "new", "n"}, {"C", "c", "c"}, {"B", {}, ""}}},
        {"[Mail]\nm0=a\nm1=b\nm2=c\n[POPS]\nm0=s\n", {{"Mail", {}, ""}, {"Mail", "m0", "only"}, {"POPS", "m1", "t"}}},
        {"[A]\nx=1\n", {{"Missing", {}, ""}}},
        {"[A]\nx=1\n[B]\ny=2\n[a]\nx=3\nz=4\n", {{"A", {}, ""}}},
        {"[A]\nx=1\n[a]\nz=4\n", {{"A", "x", "5"}, {"A", "z", "6"}}},
    };
    const std::vector<Ask> asks = {{"A", "x"}, {"A", "z"}, {"A", "new"}, {"A", {}}, {"B", "y"}, {"B", {}},
                                   {"C", "c"}, {"Mail", {}}, {"Mail", "m0"}, {"POPS", {}}, {"POPS", "m1"}};
    int n = 0;
    for (const auto& [start, ops] : scripts) {
        std::string a = dir + "w-ours" + std::to_string(n) + ".ini";
        std::string b = dir + "w-win" + std::to_string(n) + ".ini";
        ++n;
        DeleteFileA(a.c_str());
        DeleteFileA(b.c_str());
        if (!start.empty()) {
            Lay(a, start);
            Lay(b, start);
        }
        for (const auto& op : ops) {
            bool ra = op.key ? ours.WriteString(a, op.section, *op.key, op.value) : ours.EraseSection(a, op.section);
            bool rb = op.key ? win.WriteString(b, op.section, *op.key, op.value) : win.EraseSection(b, op.section);
            EXPECT_EQ(ra, rb) << "script " << n << " op on " << op.section;
        }
        for (const auto& q : asks) {
            std::string expected = Answer(win, b, q);
            EXPECT_EQ(Answer(win, a, q), expected) << "script " << n << ": our file, read by the platform:\n"
                                                   << Slurp(a) << "\nthe platform's:\n" << Slurp(b);
            EXPECT_EQ(Answer(ours, b, q), expected) << "script " << n << ": the platform's file, read by us";
        }
    }
}

// What either service writes, both read back unchanged; what no read could give back whole
// (too long, or split over lines) both refuse.
TEST_F(ProfileConformance, TypedValuesWrittenByEitherReadBackByBoth) {
    std::string a = dir + "typed-ours.ini", b = dir + "typed-win.ini";
    const auto values = TypedValues();
    for (size_t i = 0; i < values.size(); ++i) {
        const std::string key = "k" + std::to_string(i);
        ASSERT_TRUE(ours.WriteString(a, "T", key, values[i])) << i;
        ASSERT_TRUE(win.WriteString(b, "T", key, values[i])) << i;
    }
    for (size_t i = 0; i < values.size(); ++i) {
        const std::string key = "k" + std::to_string(i);
        for (const std::string& file : {a, b}) {
            EXPECT_EQ(ours.ReadString(file, "T", key, "<def>"), values[i]) << file << " value " << i;
            EXPECT_EQ(win.ReadString(file, "T", key, "<def>"), values[i]) << file << " value " << i;
        }
    }
    for (const std::string& bad : {std::string(1024, 'x'), " " + std::string(1022, 'q'), std::string("a\r\nk0=b"),
                                   std::string("a\nb"), std::string("a\rb")}) {
        EXPECT_FALSE(ours.WriteString(a, "T", "bad", bad)) << bad.substr(0, 10);
        EXPECT_FALSE(win.WriteString(b, "T", "bad", bad)) << bad.substr(0, 10);
    }
    EXPECT_EQ(win.ReadString(b, "T", "bad", "<def>"), "<def>");
    EXPECT_EQ(win.ReadString(b, "T", "k0", "<def>"), values[0]);
}

// Removing one key leaves the other entries in their order and the comments in place.
TEST_F(ProfileConformance, DeletingAKeyKeepsTheRestOfTheFile) {
    const std::string start = "; phonebook\r\n[A]\r\n; note\r\nx=1\r\npw=secret\r\ny=2\r\n[B]\r\nz=3\r\n";
    std::string a = dir + "del-ours.ini", b = dir + "del-win.ini";
    Lay(a, start);
    Lay(b, start);
    EXPECT_TRUE(ours.DeleteKey(a, "a", " PW "));
    EXPECT_TRUE(win.DeleteKey(b, "a", " PW "));
    EXPECT_TRUE(ours.DeleteKey(a, "A", "missing"));
    EXPECT_TRUE(win.DeleteKey(b, "A", "missing"));
    for (const std::string& file : {a, b}) {
        const std::string text = Slurp(file);
        EXPECT_EQ(text.find("secret"), std::string::npos) << text;
        EXPECT_LT(text.find("; phonebook"), text.find("[A]")) << text;
        EXPECT_LT(text.find("; note"), text.find("x=1")) << text;
        EXPECT_LT(text.find("y=2"), text.find("[B]")) << text;
        EXPECT_EQ(win.ReadKeys(file, "A"), (std::vector<std::string>{"x", "y"}));
        EXPECT_EQ(ours.ReadKeys(file, "A"), (std::vector<std::string>{"x", "y"}));
    }
}

TEST_F(ProfileConformance, WriteIntoAMissingFolderIsRefusedByBoth) {
    std::string file = dir + "no-such-folder\\x.ini";
    EXPECT_FALSE(win.WriteString(file, "A", "x", "1"));
    EXPECT_FALSE(ours.WriteString(file, "A", "x", "1"));
}

}  // namespace
