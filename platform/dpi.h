#pragma once
// Layout is written in pixels at 96 DPI and scaled to the window's DPI.
// The DPI is always passed in: a window can move to a monitor with another.

#include <windows.h>

namespace quillon {

inline constexpr UINT kDefaultDpi = USER_DEFAULT_SCREEN_DPI;

inline int Scale(int Value, UINT Dpi) noexcept {
    return ::MulDiv(Value, static_cast<int>(Dpi), static_cast<int>(kDefaultDpi));
}

inline RECT ScaleRect(const RECT& Rect, UINT Dpi) noexcept {
    return {Scale(Rect.left, Dpi), Scale(Rect.top, Dpi), Scale(Rect.right, Dpi), Scale(Rect.bottom, Dpi)};
}

}  // namespace quillon
