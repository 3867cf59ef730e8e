// The Win32 backend of forms, controls, menus and the application window: every control
// is a real child window whose window text is its caption.
#pragma once
#include "widgets/Forms.h"

namespace win32 {
class WidgetFactory : public IWidgetFactory {
public:
    std::unique_ptr<IControlPeer> CreatePeer(TControl& c) override;
    std::unique_ptr<IMenuPeer> CreateMenuPeer(TMenu& m) override;
    std::unique_ptr<IAppPeer> CreateAppPeer(TApplication& app) override;
    bool RunOpenDialog(TOpenDialog& dialog, uintptr_t ownerWindow) override;
};
}  // namespace win32
