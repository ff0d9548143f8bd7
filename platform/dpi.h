#pragma once
// Layout is written in pixels at 96 DPI and scaled to the window's DPI.
// The DPI is always passed in: a window can move to a monitor with another.
//
// The per-monitor DPI functions of Windows 10 (1607) are looked up when the
// program runs, so that it still starts on Windows 7 and 8.1; there each
// falls back to the system's DPI, which is what those systems scale by.

#include <windows.h>

namespace quillon {

inline constexpr UINT kDefaultDpi = USER_DEFAULT_SCREEN_DPI;

inline int Scale(int Value, UINT Dpi) noexcept {
    return ::MulDiv(Value, static_cast<int>(Dpi), static_cast<int>(kDefaultDpi));
}

inline RECT ScaleRect(const RECT& Rect, UINT Dpi) noexcept {
    return {Scale(Rect.left, Dpi), Scale(Rect.top, Dpi), Scale(Rect.right, Dpi), Scale(Rect.bottom, Dpi)};
}

// The per-monitor DPI functions, each null where Windows lacks it.
struct TDpiFunctions {
    UINT(WINAPI* GetDpiForWindow)(HWND) = nullptr;
    BOOL(WINAPI* AdjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    int(WINAPI* GetSystemMetricsForDpi)(int, UINT) = nullptr;
    BOOL(WINAPI* SystemParametersInfoForDpi)(UINT, UINT, void*, UINT, UINT) = nullptr;

    // The running system's, found once.
    static const TDpiFunctions& System();
};

// The DPI the system scales everything by when it does not scale per monitor.
UINT SystemDpi();

// The DPI of the monitor that Wnd is on.
UINT DpiForWindow(HWND Wnd, const TDpiFunctions& Functions = TDpiFunctions::System());

// The window rectangle around a client rectangle at Dpi.
BOOL AdjustWindowRectForDpi(RECT& Rect, DWORD Style, DWORD ExStyle, UINT Dpi,
                            const TDpiFunctions& Functions = TDpiFunctions::System());

// A system metric (SM_CXSMICON, ...) at Dpi.
int SystemMetricForDpi(int Index, UINT Dpi, const TDpiFunctions& Functions = TDpiFunctions::System());

// The desktop's icon-title font at Dpi; false when the system gives none.
bool IconTitleFontForDpi(LOGFONTW& Font, UINT Dpi, const TDpiFunctions& Functions = TDpiFunctions::System());

// The font of message boxes at Dpi; false when the system gives none.
bool MessageFontForDpi(LOGFONTW& Font, UINT Dpi, const TDpiFunctions& Functions = TDpiFunctions::System());

}  // namespace quillon
