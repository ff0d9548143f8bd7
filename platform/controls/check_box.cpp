#include "platform/controls/check_box.h"

#include <commctrl.h>

namespace quillon {

TCheckBox::TCheckBox(const TCheckBoxArgs& Args) : FBackground(Args.Background), FBackgroundColor(Args.BackgroundColor) {
    Create({WC_BUTTONW, Args.Text, BS_AUTOCHECKBOX | WS_TABSTOP, 0, Args.Parent});
}

bool TCheckBox::Checked() const { return ::SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool Checked) const {
    ::SendMessageW(Handle(), BM_SETCHECK, Checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::SetBackground(HBRUSH Brush, COLORREF Color) {
    FBackground = Brush;
    FBackgroundColor = Color;
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

std::optional<LRESULT> TCheckBox::OnCommand(WORD Code, WORD) {
    if (Code != BN_CLICKED) return std::nullopt;
    if (OnClick) OnClick();
    return 0;
}

HBRUSH TCheckBox::OnColor(HDC Dc) {
    if (!FBackground) return nullptr;
    ::SetBkColor(Dc, FBackgroundColor);
    return FBackground;
}

}  // namespace quillon
