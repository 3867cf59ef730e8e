// Layout of real windows: a label wider than its place pushes the next label on its row
// along, instead of running into it.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/Platform.h"
#include "platform/win32/Win32Platform.h"
#include "widgets/win32/Win32Widgets.h"

namespace {
win32::Ui g_layoutUi;
win32::WidgetFactory g_layoutFactory;

RECT RectIn(const TControl& c, HWND parent) {
    RECT r;
    GetWindowRect(reinterpret_cast<HWND>(c.Handle()), &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST(Layout, AWideLabelPushesTheLabelsAfterItOnItsRowOnly) {
    platform::Services services = platform::Installed();
    services.ui = &g_layoutUi;
    services.widgets = &g_layoutFactory;
    platform::Install(services);
    TForm form{nullptr, "Layout"};
    TControl caption{&form, &form, TControlKind::Label, "Caption"};
    TControl count{&form, &form, TControlKind::Label, "Count"};
    TControl below{&form, &form, TControlKind::Label, "Below"};
    form.SetClientSize(300, 100);
    caption.SetBounds(4, 4, 20, 13);  // far too narrow for its text
    caption.SetCaption("Number of emails :");
    count.SetBounds(26, 4, 40, 13);
    count.SetCaption("0");
    below.SetBounds(26, 30, 40, 13);
    below.SetCaption("1");
    form.CreateHandle();
    HWND f = reinterpret_cast<HWND>(form.Handle());

    RECT c = RectIn(caption, f), n = RectIn(count, f);
    EXPECT_GT(c.right - c.left, 40);
    EXPECT_GE(n.left, c.right);  // the layout's gap of 2 kept
    EXPECT_LT(RectIn(below, f).left, c.right);  // another row: left where it was

    // A longer caption later moves it on again.
    caption.SetCaption("Number of emails received so far :");
    EXPECT_GE(RectIn(count, f).left, RectIn(caption, f).right);
}

}  // namespace
