#pragma once
// A push button. A toggle button also shows a pressed ("down") look that
// only the program changes; a click does not. A button with a painter draws
// itself (owner draw) and stays a real button for focus, keys and
// accessibility.

#include "platform/controls/button_look.h"
#include "platform/controls/control.h"

#include <functional>
#include <string>

namespace quillon {

using TButtonPainter = std::function<void(const TButtonPaint& Paint)>;

struct TButtonArgs {
    HWND Parent = nullptr;
    std::wstring Text{};
    // Shows the down look on request (SetDown), like a tool button.
    bool Toggle = false;
    bool TabStop = true;
    // Draws the button; the system draws it when there is none.
    TButtonPainter Painter{};
};

class TButton : public TControl {
public:
    explicit TButton(const TButtonArgs& Args);

    std::function<void()> OnClick;

    void SetDown(bool Down);
    // The default button of its window shows so (a heavier frame): the one
    // that Enter presses. A painted button draws what it draws.
    void SetDefault(bool Default) const;
    [[nodiscard]] bool Down() const;
    // What a painter is told now (hot, down, focused...).
    [[nodiscard]] bool Hot() const noexcept { return FHot; }

private:
    std::optional<LRESULT> OnCommand(WORD Code, WORD Id) override;
    std::optional<LRESULT> OnDrawItem(const DRAWITEMSTRUCT& Item) override;
    LRESULT OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) override;

    TButtonPainter FPainter;
    bool FDown = false;
    bool FHot = false;
};

}  // namespace quillon
