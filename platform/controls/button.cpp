#include "platform/controls/button.h"

#include <commctrl.h>

namespace quillon {

TButton::TButton(const TButtonArgs& Args) {
    // A toggle is a push-like check box that does not check itself: it can
    // show the down look, and only the program changes it.
    const DWORD kind = Args.Toggle ? BS_PUSHLIKE | BS_CHECKBOX : BS_PUSHBUTTON;
    Create({WC_BUTTONW, Args.Text, kind | (Args.TabStop ? WS_TABSTOP : 0u), 0, Args.Parent});
}

void TButton::SetDown(bool Down) const { ::SendMessageW(Handle(), BM_SETCHECK, Down ? BST_CHECKED : BST_UNCHECKED, 0); }

void TButton::SetDefault(bool Default) const {
    ::SendMessageW(Handle(), BM_SETSTYLE, Default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

bool TButton::Down() const { return ::SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::optional<LRESULT> TButton::OnCommand(WORD Code, WORD) {
    if (Code != BN_CLICKED) return std::nullopt;
    if (OnClick) OnClick();
    return 0;
}

}  // namespace quillon
