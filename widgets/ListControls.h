// Controls that hold lines: list boxes and combo boxes (a list with a text), and list views
// (rows in columns). The portable control keeps the lines and the selection; its peer shows
// them and reports what the user chose.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "widgets/ControlBase.h"

// How a combo box takes its text: typed or chosen (DropDown), or only chosen from the list
// (DropDownList, whose Caption() is the chosen item's text, "" when none is chosen).
enum class TComboStyle { DropDown, DropDownList };

// A list box; the message list scrolls to each new line. Combo boxes (kind ComboBox) are
// list boxes too: Items() is their list, Caption() their text.
class TListBox : public TWinControl {
public:
    using TComboStyle = ::TComboStyle;
    TListBox(TComponent* owner, TWinControl* parent, const std::string& name, TControlKind kind = TControlKind::ListBox)
        : TWinControl(owner, parent, kind, name) {}
    const std::vector<std::string>& Items() const { return items_; }
    // Appends the line, or inserts it in its place (letter case aside) when Sorted.
    void Add(const std::string& line);
    // Empties the list; a combo box's text goes with it, as with the real control.
    void Clear();
    void SetItems(const std::vector<std::string>& items);
    // Removes line i (nothing when there is none); the selection follows its line.
    void Delete(int i);
    // The first line equal to s, letter case aside; -1 when there is none.
    int IndexOf(const std::string& s) const;
    // Appends many lines in one change: the window takes them in one go, drawing held off.
    void AddStrings(const std::vector<std::string>& lines);
    // Counts the changes that were not appends (Clear, SetItems, Delete, a sorted insert):
    // while it stays the same, a peer that has shown n lines only has to add the lines from n on.
    uint32_t Resets() const { return resets_; }
    int ItemIndex() const { return itemIndex_; }
    // Selects line i (-1 or out of range: none). A combo box shows the line as its text,
    // or no text when nothing is selected.
    void SetItemIndex(int i);
    // Called by the backend when the user selects a line. A combo box takes the line as its
    // text and fires OnChange.
    void SelectedByUser(int i);
    bool ScrollToNew = false;
    // Combo boxes, set before Realize().
    TComboStyle ComboStyle = TComboStyle::DropDown;
    bool Sorted = false;

private:
    bool IsCombo() const { return Kind() == TControlKind::ComboBox; }
    std::vector<std::string> items_;
    int itemIndex_ = -1;
    uint32_t resets_ = 0;
};

// A list of rows in columns (report style), read-only for the user.
struct TListColumn {
    std::string Caption;
    int Width;
};

class TListView : public TWinControl {
public:
    TListView(TComponent* owner, TWinControl* parent, const std::string& name)
        : TWinControl(owner, parent, TControlKind::ListView, name) {}
    // Set before Realize().
    std::vector<TListColumn> Columns;
    bool SortByFirstColumn = false;

    int RowCount() const { return static_cast<int>(rows_.size()); }
    const std::vector<std::string>& Row(int i) const { return rows_.at(static_cast<size_t>(i)); }
    // Adds a row and returns where it went: at the end, or in the order of the first
    // cells' texts (letter case aside) when SortByFirstColumn.
    int AddRow(const std::vector<std::string>& cells);
    void DeleteRow(int i);
    void ClearRows();
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int i);  // -1 or out of range: no row selected
    // Called by the backend when the user selects a row (-1: none); a click then fires
    // OnClick, after the selection is known here.
    void SelectedByUser(int i);

private:
    std::vector<std::vector<std::string>> rows_;
    int itemIndex_ = -1;
};
