#pragma once
// Scopes for the GDI pairs that must always close: an object selected into a
// device context is put back, and a paint begun is ended, however the scope
// is left.

#include <windows.h>

namespace quillon {

// Selects Object into Dc; the object that was selected before comes back
// when the scope ends.
class TSelectObject {
public:
    TSelectObject(HDC Dc, HGDIOBJ Object) noexcept : FDc(Dc), FOld(::SelectObject(Dc, Object)) {}
    ~TSelectObject() {
        if (FOld && FOld != HGDI_ERROR) ::SelectObject(FDc, FOld);
    }
    TSelectObject(const TSelectObject&) = delete;
    TSelectObject& operator=(const TSelectObject&) = delete;

private:
    HDC FDc;
    HGDIOBJ FOld;
};

// BeginPaint on construction, EndPaint when the scope ends.
class TPaintScope {
public:
    explicit TPaintScope(HWND Wnd) noexcept : FWnd(Wnd), FDc(::BeginPaint(Wnd, &FPaint)) {}
    ~TPaintScope() { ::EndPaint(FWnd, &FPaint); }
    TPaintScope(const TPaintScope&) = delete;
    TPaintScope& operator=(const TPaintScope&) = delete;

    [[nodiscard]] HDC Dc() const noexcept { return FDc; }
    // The part of the window that needs painting.
    [[nodiscard]] const RECT& Dirty() const noexcept { return FPaint.rcPaint; }

private:
    HWND FWnd;
    PAINTSTRUCT FPaint{};
    HDC FDc;
};

}  // namespace quillon
