#pragma once
// A push button. A toggle button also shows a pressed ("down") look that
// only the program changes; a click does not.

#include "platform/controls/control.h"

#include <functional>
#include <string>

namespace quillon {

struct TButtonArgs {
    HWND Parent = nullptr;
    std::wstring Text;
    // Shows the down look on request (SetDown), like a tool button.
    bool Toggle = false;
    bool TabStop = true;
};

class TButton : public TControl {
public:
    explicit TButton(const TButtonArgs& Args);

    std::function<void()> OnClick;

    void SetDown(bool Down) const;
    // The default button of its window shows so (a heavier frame): the one
    // that Enter presses.
    void SetDefault(bool Default) const;
    [[nodiscard]] bool Down() const;

private:
    std::optional<LRESULT> OnCommand(WORD Code, WORD Id) override;
};

}  // namespace quillon
