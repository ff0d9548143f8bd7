#pragma once
// A line or block of text on its parent's background, word-wrapped within
// its rectangle. A label made as a link also shows a hand over it and
// reports clicks; neither kind takes the keyboard focus.

#include "platform/controls/control.h"

#include <functional>
#include <string>

namespace quillon {

struct TLabelArgs {
    HWND Parent = nullptr;
    std::wstring Text;
    COLORREF Color = RGB(0, 0, 0);
    // The parent's background behind the text; borrowed.
    HBRUSH Background = nullptr;
    COLORREF BackgroundColor = RGB(255, 255, 255);
    // Clickable, with the hand cursor.
    bool Link = false;
};

class TLabel : public TControl {
public:
    explicit TLabel(const TLabelArgs& Args);

    // A link's every click, the second of two quick ones included.
    std::function<void()> OnClick;

private:
    std::optional<LRESULT> OnCommand(WORD Code, WORD Id) override;
    HBRUSH OnColor(HDC Dc) override;
    LRESULT OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) override;

    COLORREF FColor;
    HBRUSH FBackground;
    COLORREF FBackgroundColor;
    bool FLink;
};

}  // namespace quillon
