#pragma once
// The one window wrapper: a C++ object behind every window class of ours.
// The object pointer travels in CREATESTRUCT::lpCreateParams, is stored in
// GWLP_USERDATA on WM_NCCREATE and cleared on WM_NCDESTROY; the window
// procedure reflects what its child controls report to their objects
// (TControl) and forwards everything else to OnMessage. A TAppError that
// escapes is told to the user and the program goes on; anything else is a
// fault and goes to the crash report (fault_hook.h).

#include <windows.h>

namespace quillon {

class TWindow {
public:
    TWindow() = default;
    virtual ~TWindow();
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    [[nodiscard]] HWND Handle() const noexcept { return FHandle; }

protected:
    // Registers ClassName once per process (white background, arrow cursor
    // unless Cursor names another) and creates the window for this object.
    HWND CreateFor(const wchar_t* ClassName, DWORD ExStyle, DWORD Style, const RECT& Rect, HWND Parent,
                   const wchar_t* Title = L"", LPCWSTR Cursor = IDC_ARROW);

    // Everything this class does not handle goes to DefWindowProcW.
    virtual LRESULT OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam);

private:
    static LRESULT CALLBACK WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
    HWND FHandle = nullptr;
};

// Places a child window at Rect, in its parent's client coordinates.
void MoveWindowTo(HWND Wnd, const RECT& Rect);

// The top-left corner at which a Width x Height window stands centred in
// the work area of the monitor that Wnd is on (the primary one when it is
// on none).
POINT CentredOnMonitorOf(HWND Wnd, int Width, int Height);

// Paints Wnd's whole client area on Dc with Brush: a WM_ERASEBKGND in one
// colour. Returns 1, the answer to that message.
LRESULT FillClient(HWND Wnd, HDC Dc, HBRUSH Brush);

}  // namespace quillon
