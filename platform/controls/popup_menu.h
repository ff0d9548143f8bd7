#pragma once
// A context menu of text items, each with its own action.

#include "platform/unique_handle.h"

#include <functional>
#include <string>
#include <vector>

namespace quillon {

class TPopupMenu {
public:
    TPopupMenu();

    void Add(const std::wstring& Text, std::function<void()> Action);
    // Shows the menu at a point on the screen for the window Owner and
    // runs the action of the item chosen, if any.
    void Show(HWND Owner, POINT ScreenPoint) const;

    [[nodiscard]] HMENU Handle() const noexcept { return FMenu.get(); }

private:
    UniqueMenu FMenu;
    std::vector<std::function<void()>> FActions;
};

}  // namespace quillon
