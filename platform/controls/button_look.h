#pragma once
// What a painter needs to know to draw a button of ours, and where.

#include <windows.h>

#include <string_view>

namespace quillon {

struct TButtonLook {
    bool Down = false;       // shown pressed in by the program (a toggle, a tool button)
    bool Pressed = false;    // held down with the mouse or the keyboard
    bool Hot = false;        // under the mouse
    bool Focused = false;    // has the keyboard focus
    bool ShowFocus = false;  // and the focus is to be drawn (the keyboard was used)
    bool Disabled = false;
};

struct TButtonPaint {
    HDC Dc = nullptr;
    RECT Rect{};
    std::wstring_view Text;
    HFONT Font = nullptr;  // the control's own
    UINT Dpi = 96;
    TButtonLook Look;
};

}  // namespace quillon
