#include "platform/dpi.h"

#include "platform/module_function.h"

namespace quillon {

const TDpiFunctions& TDpiFunctions::System() {
    static const TDpiFunctions kFunctions = [] {
        TDpiFunctions functions;
        if (const HMODULE user32 = ::GetModuleHandleW(L"user32.dll")) {
            FindFunction(user32, "GetDpiForWindow", functions.GetDpiForWindow);
            FindFunction(user32, "AdjustWindowRectExForDpi", functions.AdjustWindowRectExForDpi);
            FindFunction(user32, "GetSystemMetricsForDpi", functions.GetSystemMetricsForDpi);
            FindFunction(user32, "SystemParametersInfoForDpi", functions.SystemParametersInfoForDpi);
        }
        return functions;
    }();
    return kFunctions;
}

UINT SystemDpi() {
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDefaultDpi;
}

UINT DpiForWindow(HWND Wnd, const TDpiFunctions& Functions) {
    if (Functions.GetDpiForWindow) {
        if (const UINT dpi = Functions.GetDpiForWindow(Wnd)) return dpi;
    }
    return SystemDpi();
}

BOOL AdjustWindowRectForDpi(RECT& Rect, DWORD Style, DWORD ExStyle, UINT Dpi, const TDpiFunctions& Functions) {
    if (Functions.AdjustWindowRectExForDpi)
        return Functions.AdjustWindowRectExForDpi(&Rect, Style, FALSE, ExStyle, Dpi);
    // Frames are drawn at the system's DPI where it does not scale per monitor.
    return ::AdjustWindowRectEx(&Rect, Style, FALSE, ExStyle);
}

int SystemMetricForDpi(int Index, UINT Dpi, const TDpiFunctions& Functions) {
    if (Functions.GetSystemMetricsForDpi) return Functions.GetSystemMetricsForDpi(Index, Dpi);
    return ::MulDiv(::GetSystemMetrics(Index), static_cast<int>(Dpi), static_cast<int>(SystemDpi()));
}

bool IconTitleFontForDpi(LOGFONTW& Font, UINT Dpi, const TDpiFunctions& Functions) {
    if (Functions.SystemParametersInfoForDpi) {
        return Functions.SystemParametersInfoForDpi(SPI_GETICONTITLELOGFONT, sizeof Font, &Font, 0, Dpi) != FALSE;
    }
    if (!::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof Font, &Font, 0)) return false;
    Font.lfHeight = ::MulDiv(Font.lfHeight, static_cast<int>(Dpi), static_cast<int>(SystemDpi()));
    return true;
}

bool MessageFontForDpi(LOGFONTW& Font, UINT Dpi, const TDpiFunctions& Functions) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (Functions.SystemParametersInfoForDpi) {
        if (!Functions.SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, Dpi))
            return false;
        Font = metrics.lfMessageFont;
        return true;
    }
    if (!::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return false;
    Font = metrics.lfMessageFont;
    Font.lfHeight = ::MulDiv(Font.lfHeight, static_cast<int>(Dpi), static_cast<int>(SystemDpi()));
    return true;
}

}  // namespace quillon
