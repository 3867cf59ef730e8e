// The dialog controls as real windows under Wine: what counts as the user's change, what
// another thread may read of a password box, tabbed pages, and the dialog keyboard.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <thread>

#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "widgets/win32/DialogKeys.h"
#include "widgets/win32/Win32Widgets.h"

namespace {
win32::Clock g_clock;
win32::Ui g_ui;
win32::WidgetFactory g_factory;

HWND H(const TControl& c) { return reinterpret_cast<HWND>(c.Handle()); }

// Sends from a thread of its own, as another program's message arrives, while this
// thread keeps answering.
LRESULT SendFromOtherThread(HWND h, UINT msg, WPARAM w, LPARAM l) {
    LRESULT r = 0;
    bool done = false;
    std::thread t([&] {
        r = SendMessageA(h, msg, w, l);
        done = true;
    });
    while (!done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        g_ui.ProcessMessages();
    }
    t.join();
    return r;
}

struct Dialog {
    TForm form{nullptr, "Dialog"};
    TPageControl pages{&form, &form, "Pages"};
    TWinControl first{&form, &pages, TControlKind::TabSheet, "First"};
    TControl edit{&form, &first, TControlKind::Edit, "Edit"};
    TControl password{&form, &first, TControlKind::Edit, "Password"};
    TListBox combo{&form, &first, "Combo", TControlKind::ComboBox};
    TWinControl second{&form, &pages, TControlKind::TabSheet, "Second"};
    TListView view{&form, &second, "View"};
    TControl ok{&form, &form, TControlKind::Button, "OK"};
    int changes = 0, oks = 0;
    Dialog() {
        form.SetClientSize(300, 200);
        pages.SetBounds(4, 4, 292, 150);
        first.SetCaption("One");
        second.SetCaption("Two");
        edit.SetBounds(8, 8, 100, 21);
        password.SetBounds(8, 36, 100, 21);
        password.PasswordChar = '*';
        combo.SetBounds(8, 64, 100, 21);
        view.SetBounds(4, 4, 200, 100);
        view.Columns = {{"A", 80}, {"B", 80}};
        ok.SetBounds(200, 160, 75, 25);
        ok.SetCaption("OK");
        form.DefaultButton = &ok;
        edit.OnChange = combo.OnChange = [this](TObject*) { ++changes; };
        ok.OnClick = [this](TObject*) { ++oks; };
        form.CreateHandle();
        form.Show();
    }
};

class DialogControls : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Services services = platform::Installed();
        services.clock = &g_clock;
        services.ui = &g_ui;
        services.widgets = &g_factory;
        platform::Install(services);
        Application().Initialize();
    }
};

TEST_F(DialogControls, TextChangesOfTheUserAreToldApartFromTheProgramsOwn) {
    Dialog d;
    d.edit.SetCaption("from code");
    d.combo.SetItems({"a", "b"});
    d.combo.SetCaption("b");
    EXPECT_EQ(d.changes, 0);
    SendFromOtherThread(H(d.edit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed"));
    EXPECT_EQ(d.edit.Caption(), "typed");
    EXPECT_EQ(d.changes, 1);
    SendMessageA(H(d.combo), CB_SETCURSEL, 0, 0);
    SendMessageA(GetParent(H(d.combo)), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE), reinterpret_cast<LPARAM>(H(d.combo)));
    EXPECT_EQ(d.combo.Caption(), "a");
    EXPECT_EQ(d.changes, 2);
}

TEST_F(DialogControls, APasswordIsShownAsStarsAndNotGivenToAnotherThread) {
    Dialog d;
    d.password.SetCaption("secret");
    EXPECT_EQ(SendMessageA(H(d.password), EM_GETPASSWORDCHAR, 0, 0), '*');
    char buf[64] = "unchanged";
    EXPECT_EQ(SendFromOtherThread(H(d.password), WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf)), 0);
    EXPECT_STREQ(buf, "");
    char own[64] = {};
    GetWindowTextA(H(d.password), own, sizeof own);
    EXPECT_STREQ(own, "secret");
}

TEST_F(DialogControls, OnlyThePageInFrontIsShownAndRowsReachTheListView) {
    Dialog d;
    EXPECT_TRUE(IsWindowVisible(H(d.first)));
    EXPECT_FALSE(IsWindowVisible(H(d.second)));
    d.pages.SetActivePageIndex(1);
    EXPECT_FALSE(IsWindowVisible(H(d.edit)));
    EXPECT_TRUE(IsWindowVisible(H(d.view)));
    EXPECT_EQ(SendMessageA(H(d.pages), TCM_GETCURSEL, 0, 0), 1);
    d.view.AddRow({"x", "y"});
    d.view.AddRow({"z", "w"});
    EXPECT_EQ(SendMessageA(H(d.view), LVM_GETITEMCOUNT, 0, 0), 2);
    int clicks = 0;
    d.view.OnClick = [&](TObject*) { ++clicks; };
    LVITEMA state{};
    state.stateMask = state.state = LVIS_SELECTED;
    SendMessageA(H(d.view), LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&state));
    EXPECT_EQ(d.view.ItemIndex(), 1);
    EXPECT_EQ(clicks, 1);
}

TEST_F(DialogControls, TabMovesInCreationOrderAndEnterPressesTheDefaultButton) {
    Dialog d;
    SetFocus(H(d.edit));
    MSG tab{H(d.edit), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(win32::HandleDialogKey(tab));
    EXPECT_EQ(GetFocus(), H(d.password));
    MSG enter{H(d.password), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_TRUE(win32::HandleDialogKey(enter));
    EXPECT_EQ(d.oks, 1);
}

}  // namespace
