// The system's other common controls the program uses: tabbed pages, the status bar with
// its panels, and the animation control.
#pragma once
#include <string>
#include <vector>

#include "widgets/ControlBase.h"

// Tabbed pages: the page control's children of kind TabSheet are its pages, in creation
// order; a page's Caption() is its tab's text. Only the page in front is visible.
class TPageControl : public TWinControl {
public:
    TPageControl(TComponent* owner, TWinControl* parent, const std::string& name)
        : TWinControl(owner, parent, TControlKind::PageControl, name) {}
    int PageCount() const;
    TWinControl* Page(int i) const;
    // The page whose tab reads `caption` exactly; -1 when there is none.
    int IndexOfPage(const std::string& caption) const;
    int ActivePageIndex() const { return active_; }
    void SetActivePageIndex(int i);
    // Called by the backend when the user picks a tab (or Ctrl+Tab): fires OnChange.
    void PageSelectedByUser(int i);
    void AddChild(TControl* c) override;

private:
    void ShowActivePage();
    int active_ = 0;
};

struct TStatusPanel {
    std::string Text;
    int Width = 50;
};

class TStatusBar : public TWinControl {
public:
    TStatusBar(TComponent* owner, TWinControl* parent, const std::string& name)
        : TWinControl(owner, parent, TControlKind::StatusBar, name) {}
    std::vector<TStatusPanel>& Panels() { return panels_; }
    void SetPanelText(size_t i, const std::string& text);
    const std::string& PanelText(size_t i) const { return panels_.at(i).Text; }
    void SetPanels(const std::vector<TStatusPanel>& p);

private:
    std::vector<TStatusPanel> panels_;
};

// The animation control: plays an AVI resource of the program.
class TAnimate : public TWinControl {
public:
    TAnimate(TComponent* owner, TWinControl* parent, const std::string& name)
        : TWinControl(owner, parent, TControlKind::Animate, name) {}
    const std::string& ResName() const { return resName_; }
    void SetResName(const std::string& n);
    bool Active() const { return active_; }
    void SetActive(bool a);
    int StopFrame = 0;

private:
    std::string resName_;
    bool active_ = false;
};
