// Lines of list boxes, combo boxes and list views; see ListControls.h.
#include "widgets/ListControls.h"

#include <algorithm>
#include <cctype>

namespace {
// Orders texts as the system's sorted lists do: letter case aside.
bool LessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
    });
}
bool SameNoCase(const std::string& a, const std::string& b) { return !LessNoCase(a, b) && !LessNoCase(b, a); }
}  // namespace

void TListBox::Add(const std::string& line) {
    if (Sorted) {
        auto at = std::upper_bound(items_.begin(), items_.end(), line, LessNoCase);
        int pos = static_cast<int>(at - items_.begin());
        items_.insert(at, line);
        if (itemIndex_ >= pos) ++itemIndex_;
        if (pos + 1 != static_cast<int>(items_.size())) ++resets_;  // not at the end: the window refills
    } else {
        items_.push_back(line);
    }
    Changed(TProp::Items);
}
void TListBox::AddStrings(const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    if (Sorted) {
        for (const std::string& l : lines) Add(l);
        return;
    }
    items_.insert(items_.end(), lines.begin(), lines.end());
    Changed(TProp::Items);
}
void TListBox::Clear() {
    items_.clear();
    itemIndex_ = -1;
    if (IsCombo()) SetCaption("");
    ++resets_;
    Changed(TProp::Items);
}
void TListBox::SetItems(const std::vector<std::string>& items) {
    items_ = items;
    if (Sorted) std::stable_sort(items_.begin(), items_.end(), LessNoCase);
    itemIndex_ = -1;
    if (IsCombo() && ComboStyle == TComboStyle::DropDownList) SetCaption("");
    ++resets_;
    Changed(TProp::Items);
}
void TListBox::Delete(int i) {
    if (i < 0 || i >= static_cast<int>(items_.size())) return;
    items_.erase(items_.begin() + i);
    ++resets_;
    if (itemIndex_ == i) itemIndex_ = -1;
    else if (itemIndex_ > i) --itemIndex_;
    if (IsCombo() && ComboStyle == TComboStyle::DropDownList && itemIndex_ < 0) SetCaption("");
    Changed(TProp::Items);
    Changed(TProp::ItemIndex);
}
int TListBox::IndexOf(const std::string& s) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (SameNoCase(items_[i], s)) return static_cast<int>(i);
    return -1;
}
void TListBox::SetItemIndex(int i) {
    itemIndex_ = (i >= 0 && i < static_cast<int>(items_.size())) ? i : -1;
    Changed(TProp::ItemIndex);
    if (IsCombo()) SetCaption(itemIndex_ >= 0 ? items_[static_cast<size_t>(itemIndex_)] : "");
}
void TListBox::SelectedByUser(int i) {
    itemIndex_ = (i >= 0 && i < static_cast<int>(items_.size())) ? i : -1;
    if (!IsCombo()) return;
    SetCaptionQuiet(itemIndex_ >= 0 ? items_[static_cast<size_t>(itemIndex_)] : "");
    if (OnChange) OnChange(this);
}

int TListView::AddRow(const std::vector<std::string>& cells) {
    std::vector<std::string> row = cells;
    if (row.empty()) row.emplace_back();
    size_t pos = rows_.size();
    if (SortByFirstColumn) {
        auto at = std::upper_bound(rows_.begin(), rows_.end(), row,
                                   [](const auto& a, const auto& b) { return LessNoCase(a[0], b[0]); });
        pos = static_cast<size_t>(at - rows_.begin());
    }
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(row));
    if (itemIndex_ >= static_cast<int>(pos)) ++itemIndex_;
    Changed(TProp::Rows);
    return static_cast<int>(pos);
}
void TListView::DeleteRow(int i) {
    if (i < 0 || i >= RowCount()) return;
    rows_.erase(rows_.begin() + i);
    if (itemIndex_ == i) itemIndex_ = -1;
    else if (itemIndex_ > i) --itemIndex_;
    Changed(TProp::Rows);
}
void TListView::ClearRows() {
    rows_.clear();
    itemIndex_ = -1;
    Changed(TProp::Rows);
}
void TListView::SetItemIndex(int i) {
    itemIndex_ = (i >= 0 && i < RowCount()) ? i : -1;
    Changed(TProp::ItemIndex);
}
void TListView::SelectedByUser(int i) { itemIndex_ = (i >= 0 && i < RowCount()) ? i : -1; }

