// The controls of dialogs over the recording backend: combo boxes, list views, tabbed
// pages, the file-open dialog, the dialog keyboard's tab order and mnemonics, activation.
#include "tests/unit/HeadlessFixture.h"

namespace {

class DialogWidgetsTest : public HeadlessTest {};

TEST_F(DialogWidgetsTest, ComboBoxTextFollowsTheUserNotTheCode) {
    TForm form(nullptr, "F");
    TListBox list(&form, &form, "List", TControlKind::ComboBox);
    list.ComboStyle = TComboStyle::DropDownList;
    TListBox sorted(&form, &form, "Sorted", TControlKind::ComboBox);
    sorted.Sorted = true;
    form.CreateHandle();
    int changes = 0;
    list.OnChange = sorted.OnChange = [&](TObject*) { ++changes; };

    for (const char* s : {"b", "C", "a"}) sorted.Add(s);
    EXPECT_EQ(sorted.Items(), (std::vector<std::string>{"a", "b", "C"}));
    sorted.SetCaption("typed by code");
    sorted.TextChangedByUser("typed by the user");
    EXPECT_EQ(sorted.Caption(), "typed by the user");
    sorted.Clear();  // list and text, as the real control
    EXPECT_EQ(sorted.Caption(), "");
    EXPECT_EQ(changes, 1);

    list.SetItems({"00", "05", "10"});
    list.SetItemIndex(2);
    EXPECT_EQ(list.Caption(), "10");
    list.SetItemIndex(-1);
    EXPECT_EQ(list.Caption(), "");
    list.SelectedByUser(1);
    EXPECT_EQ(list.ItemIndex(), 1);
    EXPECT_EQ(list.Caption(), "05");
    EXPECT_EQ(changes, 2);
    list.Delete(1);
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_EQ(list.Caption(), "");
}

TEST_F(DialogWidgetsTest, ListViewRowsKeepTheirSelectionAndSortedPlace) {
    TForm form(nullptr, "F");
    TListView view(&form, &form, "View");
    view.Columns = {{"Account", 135}, {"POP Server", 171}};
    TListView sorted(&form, &form, "Sorted");
    sorted.SortByFirstColumn = true;
    form.CreateHandle();
    EXPECT_EQ(sorted.AddRow({"m", "1"}), 0);
    EXPECT_EQ(sorted.AddRow({"B", "2"}), 0);
    EXPECT_EQ(sorted.AddRow({"z", "3"}), 2);

    for (const char* a : {"a", "b", "c"}) view.AddRow({a, "pop"});
    view.SelectedByUser(2);
    view.DeleteRow(0);
    EXPECT_EQ(view.ItemIndex(), 1);
    EXPECT_EQ(view.Row(1)[0], "c");
    view.DeleteRow(1);
    EXPECT_EQ(view.ItemIndex(), -1);
    view.ClearRows();
    EXPECT_EQ(view.RowCount(), 0);
}

// A dialog of two pages with buttons below: what Tab, Alt+letter and page changes reach.
struct TwoPages {
    TForm form{nullptr, "Dialog"};
    TPageControl pages{&form, &form, "Pages"};
    TWinControl first{&form, &pages, TControlKind::TabSheet, "First"};
    TControl label{&form, &first, TControlKind::Label, "Label"};
    TControl edit{&form, &first, TControlKind::Edit, "Edit"};
    TControl check{&form, &first, TControlKind::CheckBox, "Check"};
    TWinControl second{&form, &pages, TControlKind::TabSheet, "Second"};
    TControl edit2{&form, &second, TControlKind::Edit, "Edit2"};
    TControl ok{&form, &form, TControlKind::Button, "OK"};
    TControl cancel{&form, &form, TControlKind::Button, "Cancel"};
    TwoPages() {
        first.SetCaption("One");
        second.SetCaption("&Mail");
        label.SetCaption("&Name :");
        check.SetCaption("&Stay");
        form.CreateHandle();
    }
};

TEST_F(DialogWidgetsTest, TabStopsAndMnemonicsReachOnlyTheShowingPage) {
    TwoPages d;
    EXPECT_TRUE(d.first.Visible());
    EXPECT_FALSE(d.second.Visible());
    EXPECT_EQ(d.form.NextTabStop(nullptr, false), &d.pages);
    EXPECT_EQ(d.form.NextTabStop(&d.pages, false), &d.edit);
    EXPECT_EQ(d.form.NextTabStop(&d.check, false), &d.ok);
    EXPECT_EQ(d.form.NextTabStop(&d.cancel, false), &d.pages);  // wraps around
    EXPECT_EQ(d.form.NextTabStop(&d.edit, true), &d.pages);
    d.check.SetEnabled(false);
    EXPECT_EQ(d.form.NextTabStop(&d.edit, false), &d.ok);
    EXPECT_EQ(d.form.MnemonicTarget('N'), &d.edit);  // a label leads to the box after it
    EXPECT_EQ(d.form.MnemonicTarget('s'), nullptr);  // disabled
    EXPECT_EQ(d.form.MnemonicTarget('m'), &d.second);

    int changes = 0;
    d.pages.OnChange = [&](TObject*) { ++changes; };
    d.pages.PageSelectedByUser(1);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(d.first.Visible());
    EXPECT_TRUE(d.second.Visible());
    EXPECT_EQ(d.form.NextTabStop(&d.pages, false), &d.edit2);
    d.pages.SetActivePageIndex(0);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(d.pages.IndexOfPage("&Mail"), 1);
}

TEST_F(DialogWidgetsTest, FocusChangesAreReported) {
    TwoPages d;
    std::vector<std::string> seen;
    d.edit.OnEnter = [&](TObject*) { seen.push_back("enter"); };
    d.edit.OnExit = [&](TObject*) { seen.push_back("exit"); };
    d.edit.SetFocus();
    d.ok.SetFocus();
    EXPECT_EQ(seen, (std::vector<std::string>{"enter", "exit"}));
    EXPECT_EQ(headless::FocusedControl(), &d.ok);
}

TEST_F(DialogWidgetsTest, ActivationCountsOnlyAChangeOfActiveForm) {
    TwoPages d;
    TForm other(nullptr, "Other");
    other.CreateHandle();
    int activations = 0;
    d.form.OnActivate = [&](TObject*) { ++activations; };
    d.form.Show();
    d.form.Show();
    EXPECT_EQ(activations, 1);
    other.Show();
    d.form.Show();
    EXPECT_EQ(activations, 2);
    d.form.Hide();
    d.form.Show();
    EXPECT_EQ(activations, 3);
}

// A dialog whose windows wait for its first Show gets them then, made from what was set
// while it had none, its drawn title bar included.
TEST_F(DialogWidgetsTest, WindowsLeftToTheFirstShowCarryWhatWasSetMeanwhile) {
    TForm form(nullptr, "F");
    TControl label(&form, &form, TControlKind::Label, "L");
    TControl bar(&form, nullptr, TControlKind::TitleBar, "Bar");
    form.TitleBar = &bar;
    form.CreateHandleOnShow();
    label.SetCaption("set while hidden");
    form.Hide();
    EXPECT_EQ(label.Peer(), nullptr);
    int activations = 0;
    form.OnActivate = [&](TObject*) { ++activations; };
    form.Show();
    ASSERT_NE(label.Peer(), nullptr);
    EXPECT_NE(bar.Peer(), nullptr);
    EXPECT_EQ(static_cast<headless::ControlPeer*>(label.Peer())->captions.front(), "set while hidden");
    EXPECT_EQ(activations, 1);
}

TEST_F(DialogWidgetsTest, OpenDialogIsAnsweredByTheTestAndRecorded) {
    TOpenDialog dialog(nullptr);
    dialog.Filter = "Application (*.exe)|*.exe";
    EXPECT_FALSE(dialog.Execute(7));  // no answer set: cancelled
    factory.openDialogAnswer = [](TOpenDialog& d) {
        d.FileName = "C:\\mail.exe";
        return true;
    };
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "C:\\mail.exe");
    ASSERT_EQ(factory.openDialogs.size(), 2u);
    EXPECT_EQ(factory.openDialogs[0].Filter, "Application (*.exe)|*.exe");
    EXPECT_EQ(factory.openDialogs[0].owner, 7u);
    EXPECT_TRUE(factory.openDialogs[0].FileMustExist);
}

}  // namespace
