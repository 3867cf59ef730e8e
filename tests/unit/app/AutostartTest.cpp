// Start with Windows: where the main window's entry lands, and how the component moves and
// renames its registry values.
#include "app/Main_F.h"
#include "settings/Ini.h"
#include "tests/unit/HeadlessFixture.h"

namespace {
const TRootKey HKCU = TRootKey::CurrentUser, HKLM = TRootKey::LocalMachine;
}

class AutostartTest : public HeadlessTest {
protected:
    std::string Expected() const { return "\"" + dir + "/velmora.exe\" /minimize"; }
    // Starts the main window as the program does and reads its settings.
    void StartMainWindow() {
        form = std::make_unique<TMainForm>(&Application());
        Application().MainForm = form.get();
        form->FormCreate();
    }
    std::unique_ptr<TMainForm> form;
};

TEST_F(AutostartTest, FirstRunAsAnOrdinaryUserRegistersForTheCurrentUser) {
    registry.machineWritable = false;
    StartMainWindow();
    EXPECT_EQ(registry.Value(HKCU, TAutostart::kRunKey, "Velmora"), Expected());
    EXPECT_EQ(registry.Value(HKLM, TAutostart::kRunKey, "Velmora"), "<none>");
    EXPECT_FALSE(form->Autostart1.Global());
}

TEST_F(AutostartTest, AWritableMachineRootTakesTheEntryAndKeepsTheProbesParent) {
    registry.WriteString(HKCU, TAutostart::kRunKey, "Velmora", "\"old\" ");
    StartMainWindow();
    EXPECT_TRUE(form->Autostart1.Global());
    EXPECT_EQ(registry.Value(HKCU, TAutostart::kRunKey, "Velmora"), "<none>");
    EXPECT_EQ(registry.Value(HKLM, TAutostart::kRunKey, "Velmora"), Expected());
    EXPECT_TRUE(registry.KeyExists(HKLM, "\\Software\\Velmora"));
    EXPECT_FALSE(registry.KeyExists(HKLM, TAutostart::kProbeKey));
}

// Installed in the user's own folders, the entry goes to the user's key even when the
// machine's could be written.
TEST_F(AutostartTest, AProgramInTheUsersOwnFoldersRegistersForThatUserOnly) {
    const std::string shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    registry.WriteString(HKCU, shellFolders, "AppData", dir + "x");  // a neighbour, not a parent
    EXPECT_TRUE(TAutostart::ForEveryUser());
    for (const char* value : {"Local AppData", "AppData"}) {
        registry.WriteString(HKCU, shellFolders, value, dir + "/");
        EXPECT_FALSE(TAutostart::ForEveryUser()) << value;
        registry.DeleteValue(HKCU, shellFolders, value);
    }
    registry.WriteString(HKCU, "Volatile Environment", "USERPROFILE", dir);
    StartMainWindow();
    EXPECT_FALSE(form->Autostart1.Global());
    EXPECT_EQ(registry.Value(HKCU, TAutostart::kRunKey, "Velmora"), Expected());
    EXPECT_EQ(registry.Value(HKLM, TAutostart::kRunKey, "Velmora"), "<none>");
}

TEST_F(AutostartTest, SwitchedOffTheEntryIsRemoved) {
    StartMainWindow();
    ASSERT_NE(registry.Value(HKLM, TAutostart::kRunKey, "Velmora"), "<none>");
    IniOptions.AutoStartUp = false;
    form->ReactToIniOptions();
    EXPECT_EQ(registry.Value(HKLM, TAutostart::kRunKey, "Velmora"), "<none>");
    EXPECT_FALSE(form->Autostart1.autostart());
}

TEST_F(AutostartTest, FirstWriteLeavesTheEntryAsFound) {
    TAutostart a(nullptr);
    a.SetAppName("App");
    a.SetAutostart(true);  // the first write after start: nothing was there, nothing is
    EXPECT_EQ(registry.Value(HKCU, TAutostart::kRunKey, "App"), "<none>");
    a.SetAutostart(true);
    // With no parameters the data still ends in one space.
    EXPECT_EQ(registry.Value(HKCU, TAutostart::kRunKey, "App"), "\"" + dir + "/velmora.exe\" ");
}

TEST_F(AutostartTest, RenamingMovesEveryValueAndCaseOnlyChangesNothing) {
    TAutostart a(nullptr);
    a.SetAppName("Old");
    registry.WriteString(HKCU, TAutostart::kRunKey, "Old", "run-user");
    registry.WriteString(HKLM, TAutostart::kRunOnceKey, "Old", "once-machine");
    a.SetAppName("New");
    EXPECT_EQ(registry.Value(HKCU, TAutostart::kRunKey, "New"), "run-user");
    EXPECT_EQ(registry.Value(HKLM, TAutostart::kRunOnceKey, "New"), "once-machine");
    EXPECT_EQ(registry.Value(HKCU, TAutostart::kRunKey, "Old"), "<none>");
    EXPECT_TRUE(a.autostart());

    a.SetAppName("NEW");
    EXPECT_EQ(a.appName(), "New");
    EXPECT_EQ(registry.Value(HKCU, TAutostart::kRunKey, "New"), "run-user");
}
