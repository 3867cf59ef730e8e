// The registry backend under Wine: values round-trip, keys are created with their parents
// and the outer separators of a path do not matter.
#include <gtest/gtest.h>

#include "platform/win32/Win32Platform.h"

TEST(Win32Registry, WritesReadsAndDeletesValuesAndKeys) {
    win32::Registry reg;
    const std::string key = "\\Software\\VelmoraTest\\Deep\\";
    reg.DeleteValue(TRootKey::CurrentUser, key, "Name");
    EXPECT_FALSE(reg.OpenKey(TRootKey::CurrentUser, "\\Software\\VelmoraTest\\Missing", false));
    ASSERT_TRUE(reg.WriteString(TRootKey::CurrentUser, key, "Name", "\"C:\\x.exe\" /minimize"));
    std::string v;
    ASSERT_TRUE(reg.ReadString(TRootKey::CurrentUser, "Software\\VelmoraTest\\Deep", "NAME", v));
    EXPECT_EQ(v, "\"C:\\x.exe\" /minimize");
    EXPECT_TRUE(reg.DeleteValue(TRootKey::CurrentUser, key, "Name"));
    EXPECT_TRUE(reg.DeleteValue(TRootKey::CurrentUser, key, "Name"));  // absent: no error
    EXPECT_FALSE(reg.ReadString(TRootKey::CurrentUser, key, "Name", v));
    EXPECT_FALSE(reg.DeleteKey(TRootKey::CurrentUser, "\\Software\\VelmoraTest"));  // has a subkey
    EXPECT_TRUE(reg.DeleteKey(TRootKey::CurrentUser, key));
    EXPECT_TRUE(reg.DeleteKey(TRootKey::CurrentUser, "\\Software\\VelmoraTest"));
}
