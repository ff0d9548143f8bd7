#pragma once

#include <windows.h>

namespace quillon {

// Runs the message loop until WM_QUIT, with dialog keyboard navigation
// (Tab, arrows, access keys) inside Main. Returns the quit code.
int RunMessageLoop(HWND Main);

}  // namespace quillon
