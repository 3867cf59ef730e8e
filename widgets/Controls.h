// Forms, controls, menus and timers: the properties the program's windows use, kept here
// portably, with a backend peer that mirrors each change onto a real window (Win32) or
// records it (headless). This header brings in every control; each family has its own:
//   ControlBase.h     TControl, TWinControl, the peer and factory interfaces
//   ListControls.h    list boxes, combo boxes, list views
//   CommonControls.h  tabbed pages, status bar, animation
//   Components.h      timers, the file-open dialog
//   Menus.h           menus and menu items
// Forms and the application object are in Forms.h and Application.h.
#pragma once

#include "widgets/CommonControls.h"
#include "widgets/Components.h"
#include "widgets/ControlBase.h"
#include "widgets/ListControls.h"
#include "widgets/Menus.h"
