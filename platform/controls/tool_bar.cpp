#include "platform/controls/tool_bar.h"

#include "platform/dpi.h"

#include <commctrl.h>

namespace quillon {
namespace {

// Command ids of the buttons: their index from here on.
constexpr int kFirstCommand = 1000;

}  // namespace

TToolBar::TToolBar(const TToolBarArgs& Args)
    : FTexts(Args.Buttons),
      FDown(Args.Buttons.size(), false),
      FBackground(Args.Background),
      FButtonSize(Args.ButtonSize),
      FIndent(Args.Indent) {
    Create({TOOLBARCLASSNAMEW, L"",
            TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE | CCS_NODIVIDER | CCS_NOPARENTALIGN | TBSTYLE_TRANSPARENT, 0,
            Args.Parent});
    ::SendMessageW(Handle(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    std::vector<TBBUTTON> buttons(FTexts.size());
    for (std::size_t i = 0; i < FTexts.size(); ++i) {
        buttons[i].iBitmap = I_IMAGENONE;
        buttons[i].idCommand = kFirstCommand + static_cast<int>(i);
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = BTNS_CHECK | BTNS_SHOWTEXT;
        buttons[i].iString = reinterpret_cast<INT_PTR>(FTexts[i].c_str());
    }
    ::SendMessageW(Handle(), TB_ADDBUTTONSW, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    ApplyDpi(kDefaultDpi);
}

void TToolBar::SetBackground(HBRUSH Background) {
    FBackground = Background;
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void TToolBar::ApplyDpi(UINT Dpi) {
    FDpi = Dpi;
    ApplySize();
}

void TToolBar::ApplySize() const {
    const int width = Scale(FButtonSize.cx, FDpi);
    const int height = Scale(FButtonSize.cy, FDpi);
    // Fixed-size buttons: the text does not widen them.
    ::SendMessageW(Handle(), TB_SETBUTTONWIDTH, 0, MAKELPARAM(width, width));
    ::SendMessageW(Handle(), TB_SETBUTTONSIZE, 0, MAKELPARAM(width, height));
    ::SendMessageW(Handle(), TB_SETINDENT, static_cast<WPARAM>(Scale(FIndent, FDpi)), 0);
    ::SendMessageW(Handle(), TB_SETPADDING, 0, MAKELPARAM(0, 0));
    ::SendMessageW(Handle(), TB_AUTOSIZE, 0, 0);
}

void TToolBar::SetDown(int Button, bool Down) {
    if (Button < 0 || Button >= static_cast<int>(FDown.size())) return;
    FDown[static_cast<std::size_t>(Button)] = Down;
    ::SendMessageW(Handle(), TB_CHECKBUTTON, kFirstCommand + Button, MAKELPARAM(Down ? TRUE : FALSE, 0));
}

bool TToolBar::Down(int Button) const {
    return ::SendMessageW(Handle(), TB_ISBUTTONCHECKED, kFirstCommand + Button, 0) != 0;
}

RECT TToolBar::ButtonRect(int Button) const {
    RECT rect{};
    ::SendMessageW(Handle(), TB_GETITEMRECT, static_cast<WPARAM>(Button), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

std::optional<LRESULT> TToolBar::OnCommand(WORD, WORD Id) {
    const int button = Id - kFirstCommand;
    if (button < 0 || button >= static_cast<int>(FDown.size())) return std::nullopt;
    // A check button flips itself when clicked; put back the program's look.
    SetDown(button, FDown[static_cast<std::size_t>(button)]);
    if (OnClick) OnClick(button);
    return 0;
}

LRESULT TToolBar::OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
    const LRESULT result = DefaultMessage(Msg, WParam, LParam);
    // A new font makes the bar measure its buttons by their text again.
    if (Msg == WM_SETFONT) ApplySize();
    return result;
}

std::optional<LRESULT> TToolBar::OnNotify(NMHDR& Header) {
    if (Header.code == NM_CUSTOMDRAW && OnPaintButton) return CustomDraw(*reinterpret_cast<NMTBCUSTOMDRAW*>(&Header));
    return std::nullopt;
}

LRESULT TToolBar::CustomDraw(NMTBCUSTOMDRAW& Draw) const {
    switch (Draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        // The bar's own ground, rather than the parent's seen through it,
        // which a mirrored bar does not always get right.
        if (FBackground) ::FillRect(Draw.nmcd.hdc, &Draw.nmcd.rc, FBackground);
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        const int index = static_cast<int>(Draw.nmcd.dwItemSpec) - kFirstCommand;
        if (index < 0 || index >= static_cast<int>(FTexts.size())) return CDRF_DODEFAULT;
        const UINT state = Draw.nmcd.uItemState;
        TButtonPaint paint;
        paint.Dc = Draw.nmcd.hdc;
        paint.Rect = Draw.nmcd.rc;
        paint.Text = FTexts[static_cast<std::size_t>(index)];
        paint.Font = reinterpret_cast<HFONT>(::SendMessageW(Handle(), WM_GETFONT, 0, 0));
        paint.Dpi = FDpi;
        paint.Look.Down = (state & CDIS_CHECKED) != 0;
        paint.Look.Pressed = (state & CDIS_SELECTED) != 0;
        paint.Look.Hot = (state & CDIS_HOT) != 0;
        paint.Look.Disabled = (state & CDIS_DISABLED) != 0;
        OnPaintButton(paint);
        return CDRF_SKIPDEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

}  // namespace quillon
