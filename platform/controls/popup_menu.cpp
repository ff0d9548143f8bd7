#include "platform/controls/popup_menu.h"

#include <utility>

namespace quillon {

TPopupMenu::TPopupMenu() : FMenu(::CreatePopupMenu()) {}

void TPopupMenu::Add(const std::wstring& Text, std::function<void()> Action) {
    FActions.push_back(std::move(Action));
    // Item ids count from 1: 0 is what the menu answers when nothing was chosen.
    ::AppendMenuW(FMenu.get(), MF_STRING, FActions.size(), Text.c_str());
}

void TPopupMenu::Show(HWND Owner, POINT ScreenPoint) const {
    // The choice comes back here rather than as WM_COMMAND to the owner, so
    // the action runs with the menu's own item list.
    const UINT chosen = static_cast<UINT>(::TrackPopupMenu(FMenu.get(), TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY,
                                                           ScreenPoint.x, ScreenPoint.y, 0, Owner, nullptr));
    if (chosen == 0 || chosen > FActions.size()) return;
    if (const auto& action = FActions[chosen - 1]) action();
}

}  // namespace quillon
