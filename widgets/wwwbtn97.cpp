// The favorites button; see wwwbtn97.h.
#include "widgets/wwwbtn97.h"

#include <algorithm>
#include <functional>
#include <set>

#include "core/SysUtils.h"
#include "platform/Platform.h"

namespace {
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// More than this many items on one level moves the rest into a "..." submenu.
constexpr int kItemsPerLevel = 20;

bool ByteOrder(const TURLrec& a, const TURLrec& b) {
    if (a.Name != b.Name) return a.Name < b.Name;  // std::string compares bytes: upper case first
    return a.DisplayName < b.DisplayName;
}
}  // namespace

std::vector<TURLrec> ScanFavorites(const std::string& favoritesPath, const std::string& folder) {
    std::vector<TDirEntry> listing;
    std::vector<TURLrec> folders, shortcuts;
    if (!platform::Files().List(folder, listing)) return {};
    const char sep = platform::Files().Separator();
    for (const TDirEntry& e : listing) {
        if (e.IsFolder) {
            folders.push_back({true, e.Name, "", ""});
            continue;
        }
        size_t dot = e.Name.rfind('.');
        if (dot == std::string::npos || UpperCase(e.Name.substr(dot)) != ".URL") continue;
        TURLrec r;
        r.Name = folder.size() > favoritesPath.size() ? folder.substr(favoritesPath.size() + 1) : "";
        r.DisplayName = e.Name.substr(0, dot);
        r.Address = platform::Profile().ReadString(folder + sep + e.Name, "InternetShortcut", "URL", "");
        if (r.Address.empty()) r.Address = "URL not found";
        shortcuts.push_back(r);
    }
    std::sort(folders.begin(), folders.end(), ByteOrder);
    std::sort(shortcuts.begin(), shortcuts.end(), ByteOrder);
    folders.insert(folders.end(), shortcuts.begin(), shortcuts.end());
    return folders;
}

TWWWBtn97::TWWWBtn97(TComponent* owner, TWinControl* parent, const std::string& name)
    : TControl(owner, parent, TControlKind::FavoritesButton, name),
      favorites_(ReadFavoritesPath()),
      menu_(std::make_unique<TMenu>(this, name + "Menu", true)) {
    SetBounds(0, 0, 32, 22);
}

TWWWBtn97::~TWWWBtn97() = default;

std::string TWWWBtn97::ReadFavoritesPath() {
    std::string path;
    if (!platform::Registry().ReadString(TRootKey::CurrentUser, kShellFolders, "Favorites", path)) path.clear();
    return path;
}

void TWWWBtn97::Refresh() {
    if (favorites_.empty()) return;
    platform::Ui().SetBusyCursor(true);
    built_ = true;
    menu_ = std::make_unique<TMenu>(this, Name() + "Menu", true);
    favorites_ = ReadFavoritesPath();
    if (!favorites_.empty()) Fill(menu_->ItemsRoot(), favorites_);
    menu_->Realize();
    platform::Ui().SetBusyCursor(false);
}

namespace {

// What one build has done so far: the real folders it has entered and the items placed.
struct TBuild {
    std::string favorites;
    TNotifyEvent onClick;
    std::set<std::string> visited;
    int items = 0;
};

// Adds a folder's entries to a level of the menu, moving the entries past the twenty-first
// into a "..." submenu when at least two of them remain. A sub-folder gets its submenu only
// the first time the build reaches that real folder (a link back into the tree would repeat
// it without end) and only down to kMaxDepth folder levels; once kMaxItems items stand in
// the menu, no more are added.
void FillLevel(TMenuItem& level, const std::string& folder, int depth, TBuild& build) {
    const std::vector<TURLrec> entries = ScanFavorites(build.favorites, folder);
    const char sep = platform::Files().Separator();
    TMenuItem* current = &level;
    int count = 0;
    for (size_t i = 0; i < entries.size() && build.items < TWWWBtn97::kMaxItems; ++i) {
        if (count > kItemsPerLevel && entries.size() - i >= 2) {
            current = current->Add("", "...");
            count = 0;
            if (++build.items >= TWWWBtn97::kMaxItems) break;
        }
        const TURLrec& e = entries[i];
        TMenuItem* item = current->Add("", e.IsFolder ? e.Name : e.DisplayName);
        ++build.items;
        item->Hint = e.IsFolder ? "" : e.Address;
        item->OnClick = build.onClick;
        ++count;
        if (!e.IsFolder) continue;
        item->SetTag(TWWWBtn97::kFolderTag);
        const std::string path = folder + sep + e.Name;
        if (depth < TWWWBtn97::kMaxDepth && build.visited.insert(platform::Files().FolderIdentity(path)).second)
            FillLevel(*item, path, depth + 1, build);
    }
}

}  // namespace

// Fills the menu from the favorites folder, as one build.
void TWWWBtn97::Fill(TMenuItem& level, const std::string& folder) {
    TBuild build;
    build.favorites = favorites_;
    build.onClick = [this](TObject* s) { Select(static_cast<TMenuItem*>(s)); };
    build.visited.insert(platform::Files().FolderIdentity(folder));
    FillLevel(level, folder, 1, build);
}

void TWWWBtn97::Select(TMenuItem* item) {
    URLPath = item->Hint;
    URLName = item->Caption();
    if (OnSelectURL) OnSelectURL(this);
}

void TWWWBtn97::PopupAt(int x, int y) {
    if (!built_) Refresh();
    // The drawn look is taken on at the first opening of each build.
    if (MenuOptions.MenuStyle == TMenuOption::Extended && !menu_->Look) {
        auto look = std::make_shared<TMenuLook>();
        look->Font = MenuOptions.FontItem;
        look->FontColor = MenuOptions.FontItemColor;
        look->SelectFontColor = MenuOptions.FontColorSelect;
        look->SelectColor = MenuOptions.ItemSelectColor;
        look->UnselectColor = MenuOptions.ItemUnselectColor;
        look->SelectFrame = MenuOptions.ItemBorderStyle;
        look->FolderIcon = MenuOptions.ItemBmpFolder;
        look->ItemIcon = MenuOptions.ItemBmpURL;
        look->FolderTag = kFolderTag;
        look->IconOnEveryItem = MenuOptions.URLBitmapDisplay == TMenuOption::All_icon;
        menu_->Look = look;
        if (menu_->Peer()) menu_->Peer()->Rebuild();
    }
    // An empty menu would open as nothing at all and swallow the next click.
    if (menu_->ItemsRoot().Count() == 0) {
        menu_->ItemsRoot().Add("", "(Empty)")->SetEnabled(false);
        if (menu_->Peer()) menu_->Peer()->Rebuild();
    }
    if (!menu_->Peer()) menu_->Realize();
    menu_->Popup(x, y);
}

void TWWWBtn97::ClickAt(int x, int y) {
    if (!Enabled()) return;
    if (x < Width() - kArrowWidth) {
        Refresh();
        return;
    }
    // The menu opens at the bottom edge, under the arrow.
    int sx = Width() - kArrowWidth, sy = Height();
    if (peer_) peer_->ClientToScreen(sx, sy);
    PopupAt(sx, sy);
}
