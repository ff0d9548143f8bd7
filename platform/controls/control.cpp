#include "platform/controls/control.h"

#include "platform/tell_user.h"
#include "platform/files.h"
#include "platform/window.h"

#include <commctrl.h>

namespace quillon {
namespace {

constexpr UINT_PTR kSubclassId = 1;
// The object behind a control window, for the parent's reflection.
constexpr wchar_t kObjectProperty[] = L"Quillon.Control";

}  // namespace

TControl::~TControl() {
    if (!FHandle) return;
    ::RemoveWindowSubclass(FHandle, &TControl::SubclassProc, kSubclassId);
    ::RemovePropW(FHandle, kObjectProperty);
    ::DestroyWindow(FHandle);
}

void TControl::Create(const TCreateArgs& Args) {
    const std::wstring text(Args.Text);
    FHandle = ::CreateWindowExW(Args.ExStyle, Args.ClassName, text.c_str(), WS_CHILD | WS_VISIBLE | Args.Style, 0, 0, 0,
                                0, Args.Parent, nullptr, ::GetModuleHandleW(nullptr), nullptr);
    if (!FHandle) return;
    ::SetPropW(FHandle, kObjectProperty, this);
    ::SetWindowSubclass(FHandle, &TControl::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void TControl::MoveTo(const RECT& Rect) const { MoveWindowTo(FHandle, Rect); }

void TControl::SetFont(HFONT Font) const { ::SendMessageW(FHandle, WM_SETFONT, reinterpret_cast<WPARAM>(Font), TRUE); }

void TControl::SetText(std::wstring_view Text) const { ::SetWindowTextW(FHandle, std::wstring(Text).c_str()); }

std::wstring TControl::Text() const {
    // Not WM_GETTEXT (nor WM_GETTEXTLENGTH): a control's text is read
    // without a message, so a reader on another thread never waits on this
    // one. A text that fills the buffer may have been cut: read again.
    return ReadGrowingText([this](wchar_t* Buffer, std::size_t Capacity) -> std::size_t {
        const auto length =
            static_cast<std::size_t>(::InternalGetWindowText(FHandle, Buffer, static_cast<int>(Capacity)));
        return length + 1 < Capacity ? length : Capacity;
    });
}

void TControl::SetEnabled(bool Enabled) const { ::EnableWindow(FHandle, Enabled ? TRUE : FALSE); }

bool TControl::Enabled() const { return ::IsWindowEnabled(FHandle) != FALSE; }

TControl* TControl::FromHandle(HWND Wnd) {
    return Wnd ? static_cast<TControl*>(::GetPropW(Wnd, kObjectProperty)) : nullptr;
}

bool TControl::Reflect(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result) {
    std::optional<LRESULT> handled;
    switch (Msg) {
    case WM_COMMAND:
        // Menus and accelerators send no window with it.
        if (TControl* control = FromHandle(reinterpret_cast<HWND>(LParam)))
            handled = control->OnCommand(HIWORD(WParam), LOWORD(WParam));
        break;
    case WM_NOTIFY: {
        auto& header = *reinterpret_cast<NMHDR*>(LParam);
        if (TControl* control = FromHandle(header.hwndFrom)) handled = control->OnNotify(header);
        break;
    }
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(LParam);
        if (item.CtlType == ODT_MENU) break;
        if (TControl* control = FromHandle(item.hwndItem)) handled = control->OnDrawItem(item);
        break;
    }
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        if (TControl* control = FromHandle(reinterpret_cast<HWND>(LParam))) {
            if (HBRUSH brush = control->OnColor(reinterpret_cast<HDC>(WParam)))
                handled = reinterpret_cast<LRESULT>(brush);
        }
        break;
    default:
        break;
    }
    if (!handled) return false;
    Result = *handled;
    return true;
}

LRESULT TControl::OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) { return DefaultMessage(Msg, WParam, LParam); }

LRESULT TControl::DefaultMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
    return ::DefSubclassProc(FHandle, Msg, WParam, LParam);
}

LRESULT CALLBACK TControl::SubclassProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT_PTR, DWORD_PTR Self) {
    auto* control = reinterpret_cast<TControl*>(Self);
    if (Msg == WM_NCDESTROY) {
        // The window goes before its object (its parent was destroyed):
        // the object must not reach for it afterwards.
        ::RemoveWindowSubclass(Wnd, &TControl::SubclassProc, kSubclassId);
        ::RemovePropW(Wnd, kObjectProperty);
        control->FHandle = nullptr;
        return ::DefSubclassProc(Wnd, Msg, WParam, LParam);
    }
    try {
        return control->OnMessage(Msg, WParam, LParam);
    } catch (...) {
        return TellOrReportCurrentException(Wnd);
    }
}

}  // namespace quillon
