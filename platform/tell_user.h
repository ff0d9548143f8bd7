#pragma once
// A failure the user must hear of - a TAppError: the file or operation it
// concerns and the system's reason - is told in a box, and the program goes
// on. Window procedures and control procedures tell every TAppError that
// leaves them this way; code that knows better (the list's refresh, the
// switch) catches its own and tells it at the right moment.

#include "platform/errors.h"

#include <windows.h>

namespace quillon {

// Shows Error's message in a box titled with the application's title, with
// the error icon and one "OK" button, modal to Wnd's top-level window.
// While one such box is up, a second failure is not shown over it: the user
// is already being told, and two boxes stacked would only confuse.
void TellUser(HWND Wnd, const TAppError& Error) noexcept;

// For the catch (...) block of a window or control procedure: a TAppError
// is told (TellUser) and the message answered with 0; anything else is a
// fault of the program and goes to the crash report (fault_hook.h).
LRESULT TellOrReportCurrentException(HWND Wnd) noexcept;

}  // namespace quillon
