// Menus: the main menu bar and popup menus, items in a tree addressed by position, and the
// look of menus the program draws itself. A backend peer mirrors the items onto a real
// menu; clicks come back through FindCommand and TMenuItem::Click.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "widgets/ControlBase.h"

// A backend's menu: told of each item's change (or to build the menu again), and for
// popup menus asked to show and track it.
class IMenuPeer {
public:
    virtual ~IMenuPeer() = default;
    virtual void ItemChanged(TMenuItem& item) = 0;
    virtual void Rebuild() = 0;
    virtual uintptr_t Handle() const = 0;
    // Popup menus: show at a screen point and track until closed.
    virtual void Popup(int x, int y) {}
};

// Menus: items in a tree, addressed by position.
class TMenuItem : public TComponent {
public:
    TMenuItem(TMenu* menu, TMenuItem* parent, const std::string& name, const std::string& caption);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& s);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    bool Checked() const { return checked_; }
    void SetChecked(bool v);
    bool IsSeparator() const { return caption_ == "-"; }
    std::string Hint;
    int HelpContext = 0;
    TNotifyEvent OnClick;
    void Click();
    TMenuItem* Add(const std::string& name, const std::string& caption);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int i) const { return items_.at(static_cast<size_t>(i)).get(); }
    uint32_t Command() const { return command_; }
    TMenu* Menu() const { return menu_; }

private:
    TMenu* menu_;
    std::string caption_;
    bool enabled_ = true, checked_ = false;
    uint32_t command_;
    std::vector<std::unique_ptr<TMenuItem>> items_;
};

// How a menu drawn by the program looks (menus without one are the system's own).
// Colours are RGB values (0x00BBGGRR); kButtonFaceColor stands for the system's button face.
struct TMenuLook {
    static constexpr uint32_t kButtonFaceColor = 0x8000000F;
    TFontStyle Font;
    uint32_t FontColor = 0, SelectFontColor = 0;
    uint32_t SelectColor = kButtonFaceColor, UnselectColor = kButtonFaceColor;
    enum TFrame { None, Raised, Lowered } SelectFrame = None;
    // Bitmap resources of 16 x 16 item icons (their top-left pixel is transparent): items
    // whose Tag is FolderTag show FolderIcon, the others ItemIcon, only while highlighted
    // unless IconOnEveryItem.
    std::string FolderIcon, ItemIcon;
    int FolderTag = 1;
    bool IconOnEveryItem = false;
};

class TMenu : public TComponent {
public:
    std::shared_ptr<TMenuLook> Look;
    TMenu(TComponent* owner, const std::string& name, bool popup);
    ~TMenu() override;
    TMenuItem& ItemsRoot() { return root_; }
    TMenuItem* Items(int i) const { return root_.Items(i); }
    int Count() const { return root_.Count(); }
    TMenuItem* Add(const std::string& name, const std::string& caption) { return root_.Add(name, caption); }
    bool IsPopup() const { return popup_; }
    // Creates the peer once the items are in place.
    void Realize();
    IMenuPeer* Peer() const { return peer_.get(); }
    // Finds the item with this command number (for the backend's WM_COMMAND).
    TMenuItem* FindCommand(uint32_t cmd);
    void Popup(int x, int y);
    // The side banner text of a drawn popup menu.
    std::string BannerText;
    void Notify(TMenuItem& item) {
        if (peer_) peer_->ItemChanged(item);
    }

private:
    TMenuItem root_;
    bool popup_;
    std::unique_ptr<IMenuPeer> peer_;
};
