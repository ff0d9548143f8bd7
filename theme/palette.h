#pragma once
// The colours of the user interface, in one place, handed around like the
// fonts: white surfaces, the accent blue, and the system's text colours. In
// Windows' high-contrast mode every colour is the system's own.

#include "platform/unique_handle.h"

namespace quillon {

// The accent of the program: the active window's line and the buttons.
inline constexpr COLORREF kAccentColor = RGB(61, 132, 221);

class TPalette {
public:
    TPalette();

    // Reads the system's colours again; call when they or the contrast
    // setting change (WM_SYSCOLORCHANGE, WM_SETTINGCHANGE).
    void Rebuild();

    [[nodiscard]] bool HighContrast() const noexcept { return FHighContrast; }
    // Behind everything: the window, the bands, the bar.
    [[nodiscard]] COLORREF Surface() const noexcept { return FSurface; }
    [[nodiscard]] HBRUSH SurfaceBrush() const noexcept { return FSurfaceBrush.get(); }
    [[nodiscard]] COLORREF Text() const noexcept { return FText; }
    // The text of entries that are switched off.
    [[nodiscard]] COLORREF GrayText() const noexcept { return FGrayText; }
    [[nodiscard]] COLORREF Accent() const noexcept { return FAccent; }

private:
    bool FHighContrast = false;
    COLORREF FSurface = RGB(255, 255, 255);
    COLORREF FText = RGB(0, 0, 0);
    COLORREF FGrayText = RGB(109, 109, 109);
    COLORREF FAccent = kAccentColor;
    UniqueBrush FSurfaceBrush;
};

// Whether Windows' high-contrast mode is on.
bool IsHighContrast();

}  // namespace quillon
