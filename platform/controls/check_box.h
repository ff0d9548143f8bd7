#pragma once
// A check box that ticks itself when clicked, painted on its parent's
// background.

#include "platform/controls/control.h"

#include <functional>
#include <string>

namespace quillon {

struct TCheckBoxArgs {
    HWND Parent = nullptr;
    std::wstring Text;
    // The parent's background behind the box and its caption; borrowed.
    HBRUSH Background = nullptr;
    COLORREF BackgroundColor = RGB(255, 255, 255);
};

class TCheckBox : public TControl {
public:
    explicit TCheckBox(const TCheckBoxArgs& Args);

    // After the box has changed its tick.
    std::function<void()> OnClick;

    [[nodiscard]] bool Checked() const;
    void SetChecked(bool Checked) const;
    // The parent's background changed (a new colour scheme).
    void SetBackground(HBRUSH Brush, COLORREF Color);

private:
    std::optional<LRESULT> OnCommand(WORD Code, WORD Id) override;
    HBRUSH OnColor(HDC Dc) override;

    HBRUSH FBackground;
    COLORREF FBackgroundColor;
};

}  // namespace quillon
