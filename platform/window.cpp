#include "platform/window.h"

#include "platform/controls/control.h"
#include "platform/tell_user.h"

namespace quillon {

TWindow::~TWindow() {
    // A window that outlives its object would call into freed memory.
    if (FHandle) ::DestroyWindow(FHandle);
}

HWND TWindow::CreateFor(const wchar_t* ClassName, DWORD ExStyle, DWORD Style, const RECT& Rect, HWND Parent,
                        const wchar_t* Title, LPCWSTR Cursor) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW known{};
    known.cbSize = sizeof(known);
    if (!::GetClassInfoExW(instance, ClassName, &known)) {
        WNDCLASSEXW cls{};
        cls.cbSize = sizeof(cls);
        cls.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        cls.lpfnWndProc = &TWindow::WindowProc;
        cls.hInstance = instance;
        cls.hCursor = ::LoadCursorW(nullptr, Cursor);
        cls.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
        cls.lpszClassName = ClassName;
        ::RegisterClassExW(&cls);
    }
    return ::CreateWindowExW(ExStyle, ClassName, Title, Style, Rect.left, Rect.top, Rect.right - Rect.left,
                             Rect.bottom - Rect.top, Parent, nullptr, instance, this);
}

void MoveWindowTo(HWND Wnd, const RECT& Rect) {
    ::MoveWindow(Wnd, Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top, TRUE);
}

POINT CentredOnMonitorOf(HWND Wnd, int Width, int Height) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(Wnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    return {work.left + (work.right - work.left - Width) / 2, work.top + (work.bottom - work.top - Height) / 2};
}

LRESULT FillClient(HWND Wnd, HDC Dc, HBRUSH Brush) {
    RECT client{};
    ::GetClientRect(Wnd, &client);
    ::FillRect(Dc, &client, Brush);
    return 1;
}

LRESULT TWindow::OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
    return ::DefWindowProcW(FHandle, Msg, WParam, LParam);
}

LRESULT CALLBACK TWindow::WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    auto* self = reinterpret_cast<TWindow*>(::GetWindowLongPtrW(Wnd, GWLP_USERDATA));
    if (Msg == WM_NCCREATE) {
        self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(LParam)->lpCreateParams);
        self->FHandle = Wnd;
        ::SetWindowLongPtrW(Wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    if (!self) return ::DefWindowProcW(Wnd, Msg, WParam, LParam);
    if (Msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(Wnd, GWLP_USERDATA, 0);
        self->FHandle = nullptr;
        return ::DefWindowProcW(Wnd, Msg, WParam, LParam);
    }
    try {
        // What a child control of ours is told about itself goes to its object.
        if (LRESULT reflected = 0; TControl::Reflect(Msg, WParam, LParam, reflected)) return reflected;
        return self->OnMessage(Msg, WParam, LParam);
    } catch (...) {
        return TellOrReportCurrentException(Wnd);
    }
}

}  // namespace quillon
