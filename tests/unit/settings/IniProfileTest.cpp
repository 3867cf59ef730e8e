// The file-based profile service: what it answers for hand-edited files (the same answers as
// the platform's, which a Wine test checks) and what its writes leave in the file.
#include "platform/headless/IniProfile.h"

#include <gtest/gtest.h>

#include "SettingsFixture.h"

namespace {

using IniProfileTest = SettingsTest;

TEST_F(IniProfileTest, ReadsHandEditedFiles) {
    const struct {
        const char* text;
        const char* section;
        const char* key;
        const char* expected;
    } rows[] = {
        {"[Sec]\r\nkey=value\r\n", "sec", " KEY ", "value"},
        {"[A]\rx=1\ry=2", "A", "y", "2"},
        {"  [ A ]  \n\t x \t=\t spaced value \t\n", "A", "x", "spaced value"},
        {"[A]\nx=\"quoted\"\n", "A", "x", "quoted"},
        {"[A]\nx='a'\n", "A", "x", "a"},
        {"[A]\nx=\"mixed'\n", "A", "x", "\"mixed'"},
        {"[A]\nx=a=b\n", "A", "x", "a=b"},
        {"[A]\nx\nx=1\n", "A", "x", "<missing>"},  // the first "x" has no value
        {"[A]\nx=1\nx=2\n[A]\nx=3\nz=4\n", "A", "x", "1"},
        {"[A]\nx=1\nx=2\n[A]\nx=3\nz=4\n", "A", "z", "<missing>"},
        {"x=0\n[A]\nx=1\n", "A", "x", "1"},
        {"[A\nx=1\n", "A", "x", "<missing>"},
        {"[A]\nx=\n", "A", "x", ""},
        {"", "A", "x", "<missing>"},
    };
    for (const auto& r : rows) {
        Lay("t.ini", r.text);
        EXPECT_EQ(profile.ReadString(dir + "t.ini", r.section, r.key, "<missing>"), r.expected) << r.text;
    }
    Lay("t.ini", "[A]\n; note\nnoval\nm0=a\n;m1=b\nm2=c\nm0=again\n");
    EXPECT_EQ(profile.ReadKeys(dir + "t.ini", "a"), (std::vector<std::string>{"m0", "m2", "m0"}));
    EXPECT_EQ(profile.ReadString(dir + "t.ini", "A", "long", std::string(2000, 'd')).size(), 1023u);
}

TEST_F(IniProfileTest, WritesKeepWhatTheyDoNotChange) {
    Lay("t.ini", "; made by hand\n[A]\nX = 1\n; keep\n\n[B]\ny=2\n");
    const std::string f = dir + "t.ini";
    ASSERT_TRUE(profile.WriteString(f, "a", "x", "changed"));
    ASSERT_TRUE(profile.WriteString(f, "A", "new", "  n"));
    ASSERT_TRUE(profile.WriteString(f, "C", "c", "3"));
    EXPECT_EQ(Slurp("t.ini"),
              "; made by hand\r\n[A]\r\nX=changed\r\n; keep\r\nnew=\"  n\"\r\n\r\n[B]\r\ny=2\r\n\r\n[C]\r\nc=3\r\n");
}

// A long list is read key by key; the file is parsed again only when it has changed.
TEST_F(IniProfileTest, AFileIsParsedOncePerChange) {
    const std::string f = dir + "big.ini";
    std::string text = "[List]\r\n";
    for (int i = 0; i < 4000; ++i) text += "m" + std::to_string(i) + "=v" + std::to_string(i) + "\r\n";
    Lay("big.ini", text);
    ASSERT_EQ(profile.ReadKeys(f, "List").size(), 4000u);
    int wrong = 0;
    for (int i = 0; i < 4000; ++i)
        wrong += profile.ReadString(f, "List", "m" + std::to_string(i), "") != "v" + std::to_string(i);
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(profile.parses, 1);

    Lay("big.ini", "[List]\r\nm0=changed by hand\r\n");
    EXPECT_EQ(profile.ReadString(f, "List", "m0", ""), "changed by hand");
    ASSERT_TRUE(profile.WriteString(f, "List", "m1", "written"));
    EXPECT_EQ(profile.ReadKeys(f, "List"), (std::vector<std::string>{"m0", "m1"}));
    EXPECT_EQ(profile.ReadString(f, "List", "m1", ""), "written");
    EXPECT_LE(profile.parses, 3);
}

TEST_F(IniProfileTest, EraseRemovesEveryCopyOfASection) {
    const std::string f = dir + "t.ini";
    Lay("t.ini", "[A]\nx=1\n[B]\ny=2\n[a]\nx=3\n");
    ASSERT_TRUE(profile.EraseSection(f, "A"));
    EXPECT_EQ(Slurp("t.ini"), "[B]\r\ny=2\r\n");

    // Nothing to erase is no refusal and creates no file.
    ASSERT_TRUE(profile.EraseSection(dir + "none.ini", "A"));
    EXPECT_FALSE(std::filesystem::exists(dir + "none.ini"));
}

TEST_F(IniProfileTest, RefusedWritesLeaveTheFileAsItWas) {
    const std::string f = dir + "t.ini";
    Lay("t.ini", "[A]\nx=1\n");
    profile.refuseWrites = true;
    EXPECT_FALSE(profile.WriteString(f, "A", "x", "2"));
    EXPECT_FALSE(profile.EraseSection(f, "A"));
    profile.refuseWrites = false;
    EXPECT_FALSE(profile.WriteString(dir + "no/such/folder.ini", "A", "x", "2"));
    EXPECT_EQ(Slurp("t.ini"), "[A]\nx=1\n");
    EXPECT_EQ(profile.writes, 0);
}

}  // namespace
