#pragma once
// A tool bar of text buttons of one size, without dividers, placed by its
// parent rather than docked. A button may show the down look.

#include "platform/controls/button_look.h"
#include "platform/controls/control.h"

#include <functional>
#include <string>
#include <vector>

namespace quillon {

struct TToolBarArgs {
    HWND Parent = nullptr;
    std::vector<std::wstring> Buttons;
    SIZE ButtonSize{70, 30};  // at 96 DPI
    int Indent = 10;          // before the first button, at 96 DPI
    // Painted behind the buttons when they are drawn by a painter; borrowed.
    HBRUSH Background = nullptr;
};

class TToolBar : public TControl {
public:
    explicit TToolBar(const TToolBarArgs& Args);

    // Draws a button in place of the system; the bar's background stays
    // the parent's.
    std::function<void(const TButtonPaint& Paint)> OnPaintButton;
    std::function<void(int Button)> OnClick;

    // The down look is the program's: a click does not change it.
    void SetDown(int Button, bool Down);
    [[nodiscard]] bool Down(int Button) const;
    // The button's rectangle in the bar's client coordinates.
    [[nodiscard]] RECT ButtonRect(int Button) const;
    // The ground behind the buttons changed (a new colour scheme).
    void SetBackground(HBRUSH Background);
    // Scales the button size and indent to Dpi.
    void ApplyDpi(UINT Dpi);

private:
    std::optional<LRESULT> OnCommand(WORD Code, WORD Id) override;
    std::optional<LRESULT> OnNotify(NMHDR& Header) override;
    LRESULT OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) override;
    void ApplySize() const;
    LRESULT CustomDraw(NMTBCUSTOMDRAW& Draw) const;

    std::vector<std::wstring> FTexts;
    std::vector<bool> FDown;
    HBRUSH FBackground;
    SIZE FButtonSize;
    int FIndent;
    UINT FDpi = 96;
};

}  // namespace quillon
