#include "platform/controls/label.h"

namespace quillon {

TLabel::TLabel(const TLabelArgs& Args)
    : FColor(Args.Color), FBackground(Args.Background), FBackgroundColor(Args.BackgroundColor), FLink(Args.Link) {
    Create({WC_STATICW, Args.Text, SS_LEFT | SS_NOPREFIX | (Args.Link ? SS_NOTIFY : 0u), 0, Args.Parent});
}

std::optional<LRESULT> TLabel::OnCommand(WORD Code, WORD) {
    // A static control reports the second click of a quick pair as a double
    // click; to the user it is one more click.
    if (!FLink || (Code != STN_CLICKED && Code != STN_DBLCLK)) return std::nullopt;
    if (OnClick) OnClick();
    return 0;
}

HBRUSH TLabel::OnColor(HDC Dc) {
    ::SetTextColor(Dc, FColor);
    ::SetBkColor(Dc, FBackgroundColor);
    return FBackground ? FBackground : static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
}

LRESULT TLabel::OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg == WM_SETCURSOR && FLink) {
        ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    return DefaultMessage(Msg, WParam, LParam);
}

}  // namespace quillon
