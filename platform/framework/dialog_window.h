// Creating a dialog window and its controls from a template.
#pragma once

#include "platform/framework/resources.h"

namespace platform::framework {

// The dialog is created hidden (WS_VISIBLE is shown after WM_INITDIALOG); its client area is
// the template's size in dialog units; DS_CENTER centres it on the screen. Null on failure.
HWND CreateDialogWindow(const resources::DialogTemplate& dialog, HWND owner);

} // namespace platform::framework
