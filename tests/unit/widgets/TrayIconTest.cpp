// The notification-area icon: what it tells the shell, and how clicks become events.
#include <cstring>

#include "tests/unit/HeadlessFixture.h"
#include "widgets/TrayIco.h"

class TrayIconTest : public HeadlessTest {
protected:
    std::vector<uint32_t> Actions() {
        std::vector<uint32_t> a;
        for (auto& n : tray.notifications) a.push_back(n.action);
        return a;
    }
    TIcon SomeIcon() {
        TIcon i;
        i.SetHandle(0x1234);
        return i;
    }
};

TEST_F(TrayIconTest, AddsThenModifiesAndDeletesOnDestructionEvenIfNeverShown) {
    {
        TSystemTrayIcon never(nullptr);
        EXPECT_TRUE(tray.notifications.empty());  // nothing until Visible or Icon is set
    }
    EXPECT_EQ(Actions(), (std::vector<uint32_t>{NIM_DELETE_}));
    tray.notifications.clear();

    TSystemTrayIcon t(nullptr);
    t.MessageID = 1025;
    t.SetTip("hidden tip");  // hidden: no call
    EXPECT_TRUE(tray.notifications.empty());
    t.SetVisible(true);
    t.SetVisible(true);
    EXPECT_EQ(Actions(), (std::vector<uint32_t>{NIM_ADD_, NIM_MODIFY_}));
    const TNotifyIconData& d = tray.notifications[0].data;
    EXPECT_EQ(d.cbSize, 152u);
    EXPECT_EQ(d.uID, 1u);
    EXPECT_EQ(d.uFlags, 7u);
    EXPECT_EQ(d.uCallbackMessage, 1025u);
    EXPECT_EQ(d.hIcon, 0u);  // shown with no image
    EXPECT_EQ(d.hWnd, t.WindowHandle());
    EXPECT_EQ(d.szTip, "hidden tip");
    t.SetIcon(TIcon());  // an empty icon hides it
    EXPECT_EQ(tray.notifications.back().action, NIM_DELETE_);
    EXPECT_FALSE(t.Visible());
}

TEST_F(TrayIconTest, TipIsCutTo63Characters) {
    TSystemTrayIcon t(nullptr);
    t.SetIcon(SomeIcon());
    t.SetTip(std::string(100, 'x'));
    EXPECT_EQ(tray.notifications.back().action, NIM_MODIFY_);
    EXPECT_EQ(tray.notifications.back().data.szTip.size(), 63u);
}

TEST_F(TrayIconTest, LoadedShowsAStoredIconWhateverVisibleSaid) {
    TSystemTrayIcon withIcon(nullptr);
    withIcon.Designing = true;  // reading the stored properties
    withIcon.SetIcon(SomeIcon());
    withIcon.SetVisible(false);
    withIcon.Designing = false;
    tray.notifications.clear();
    withIcon.Loaded();
    EXPECT_EQ(Actions(), (std::vector<uint32_t>{NIM_ADD_}));
    EXPECT_TRUE(withIcon.Visible());

    TSystemTrayIcon empty(nullptr);
    tray.notifications.clear();
    empty.Loaded();
    EXPECT_EQ(Actions(), (std::vector<uint32_t>{NIM_DELETE_}));
    EXPECT_FALSE(empty.Visible());
}

TEST_F(TrayIconTest, MouseMessagesBecomeEvents) {
    TSystemTrayIcon t(nullptr);
    t.MessageID = 1025;
    std::vector<std::string> events;
    t.OnLeftClick = [&](TObject* s) {
        EXPECT_EQ(s, &t);
        events.push_back("left");
    };
    t.OnDblClick = [&](TObject*) { events.push_back("double"); };
    // A double-click arrives as down, up, double-click, up.
    for (intptr_t m : {0x201, 0x202, 0x203, 0x202}) t.WndProc(1025, 1, m);
    EXPECT_EQ(events, (std::vector<std::string>{"left", "double"}));
    EXPECT_EQ(t.WndProc(1124, 1, 0x201), kMsgDefault);  // not our message number
    EXPECT_EQ(t.WndProc(1025, 1, 0x200), kMsgDefault);  // a move

    // A right click with no menu and no handler still brings the window forward.
    t.WndProc(1025, 1, 0x204);
    EXPECT_EQ(tray.foreground, (std::vector<uintptr_t>{t.WindowHandle()}));

    TMenu menu(nullptr, "PopupMenu1", true);
    menu.Add("Dial1", "&Dial");
    menu.Realize();
    t.PopupMenu = &menu;
    tray.cursorX = 300;
    tray.cursorY = 200;
    t.OnRightClick = [&](TObject*) { events.push_back("right"); };
    t.WndProc(1025, 1, 0x204);
    EXPECT_EQ(events.back(), "right");
    EXPECT_EQ(headless::PeerOf(menu)->popups, (std::vector<std::pair<int, int>>{{300, 200}}));
}
