#include "platform/controls/button.h"

#include "platform/dpi.h"

#include <commctrl.h>

#include <utility>

namespace quillon {

TButton::TButton(const TButtonArgs& Args) : FPainter(Args.Painter) {
    // A toggle the system draws is a push-like check box that does not
    // check itself: it can show the down look, and only the program
    // changes it. One of ours keeps the look itself.
    DWORD kind = Args.Toggle ? BS_PUSHLIKE | BS_CHECKBOX : BS_PUSHBUTTON;
    if (FPainter) kind = BS_OWNERDRAW;
    Create({WC_BUTTONW, Args.Text, kind | (Args.TabStop ? WS_TABSTOP : 0u), 0, Args.Parent});
}

void TButton::SetDown(bool Down) {
    FDown = Down;
    if (FPainter) {
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return;
    }
    ::SendMessageW(Handle(), BM_SETCHECK, Down ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TButton::SetDefault(bool Default) const {
    // The style of a painted button must stay owner draw.
    if (FPainter) return;
    ::SendMessageW(Handle(), BM_SETSTYLE, Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

bool TButton::Down() const { return FPainter ? FDown : ::SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::optional<LRESULT> TButton::OnCommand(WORD Code, WORD) {
    if (Code != BN_CLICKED) return std::nullopt;
    if (OnClick) OnClick();
    return 0;
}

std::optional<LRESULT> TButton::OnDrawItem(const DRAWITEMSTRUCT& Item) {
    if (!FPainter) return std::nullopt;
    TButtonPaint paint;
    paint.Dc = Item.hDC;
    paint.Rect = Item.rcItem;
    const std::wstring text = Text();
    paint.Text = text;
    paint.Font = reinterpret_cast<HFONT>(::SendMessageW(Handle(), WM_GETFONT, 0, 0));
    paint.Dpi = DpiForWindow(Handle());
    paint.Look.Down = FDown;
    paint.Look.Pressed = (Item.itemState & ODS_SELECTED) != 0;
    paint.Look.Hot = FHot;
    paint.Look.Focused = (Item.itemState & ODS_FOCUS) != 0;
    paint.Look.ShowFocus = paint.Look.Focused && !(Item.itemState & ODS_NOFOCUSRECT);
    paint.Look.Disabled = (Item.itemState & ODS_DISABLED) != 0;
    FPainter(paint);
    return TRUE;
}

LRESULT TButton::OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (!FPainter) return DefaultMessage(Msg, WParam, LParam);
    switch (Msg) {
    case WM_MOUSEMOVE:
        if (!FHot) {
            FHot = true;
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
            ::TrackMouseEvent(&track);
            ::InvalidateRect(Handle(), nullptr, FALSE);
        }
        break;
    case WM_MOUSELEAVE:
        FHot = false;
        ::InvalidateRect(Handle(), nullptr, FALSE);
        break;
    case WM_LBUTTONDBLCLK:
        // An owner-drawn button reports a second click as a double click;
        // a quick second press is a second click here, as on any button.
        return DefaultMessage(WM_LBUTTONDOWN, WParam, LParam);
    case WM_ERASEBKGND:
        return 1;  // the painter covers the whole button
    default:
        break;
    }
    return DefaultMessage(Msg, WParam, LParam);
}

}  // namespace quillon
