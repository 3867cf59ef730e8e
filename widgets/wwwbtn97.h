// The favorites button: a flat tool button with an arrow part on its right edge. The arrow
// opens a popup menu that mirrors the user's Internet favorites folder (sub-folders as
// submenus, Internet shortcut files as items); choosing an item stores its name and address
// and fires OnSelectURL. A click on the picture part reads the folder again.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "widgets/Controls.h"

// One entry of a folder scan. For a folder, Name is its name; for a shortcut, Name is the
// path of the folder that holds it relative to the favorites folder, DisplayName the file
// name without ".URL", and Address the shortcut's address.
struct TURLrec {
    bool IsFolder = false;
    std::string Name, DisplayName, Address;
};

// Scans one folder: folder entries first, then shortcut entries, each sorted byte-wise by
// name and then display name. A folder that cannot be listed gives no entries.
std::vector<TURLrec> ScanFavorites(const std::string& favoritesPath, const std::string& folder);

// The look of the favorites menu.
struct TMenuOption {
    enum TMenuStyle { Standard, Extended };
    enum TURLDisplay { Only_one_icon, All_icon };
    TFontStyle FontItem;
    uint32_t FontItemColor = 0x800000;  // navy
    uint32_t FontColorSelect = 0;
    std::string ItemBmpFolder, ItemBmpURL;  // bitmap resources; empty: none
    uint32_t ItemSelectColor = TMenuLook::kButtonFaceColor, ItemUnselectColor = TMenuLook::kButtonFaceColor;
    TMenuLook::TFrame ItemBorderStyle = TMenuLook::None;
    TMenuStyle MenuStyle = Extended;
    TURLDisplay URLBitmapDisplay = Only_one_icon;
};

class TWWWBtn97 : public TControl {
public:
    TWWWBtn97(TComponent* owner, TWinControl* parent, const std::string& name);
    ~TWWWBtn97() override;

    std::string URLName, URLPath;  // the last chosen item
    TMenuOption MenuOptions;
    TNotifyEvent OnSelectURL;
    static constexpr int kArrowWidth = 9;
    // Items marked with this tag are folders (they show the folder icon).
    static constexpr int kFolderTag = 1;
    // Bounds of one build, so that no folder tree (links back into it included) can make the
    // menu grow without end: submenus below this many folder levels stay empty, and no more
    // items than this are placed in all.
    static constexpr int kMaxDepth = 20;
    static constexpr int kMaxItems = 2000;

    // Reads the favorites folder again and rebuilds the menu.
    void Refresh();
    // Builds the menu if needed and shows it at a screen point.
    void PopupAt(int x, int y);
    // A click on the picture part refreshes; one on the arrow part opens the menu under it.
    void ClickAt(int x, int y) override;
    bool Built() const { return built_; }
    TMenu* Menu() const { return menu_.get(); }
    const std::string& FavoritesPath() const { return favorites_; }

private:
    static std::string ReadFavoritesPath();
    void Fill(TMenuItem& level, const std::string& folder);
    void Select(TMenuItem* item);
    std::string favorites_;
    std::unique_ptr<TMenu> menu_;
    bool built_ = false;
};
