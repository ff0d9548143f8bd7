#pragma once
// The box that tells the user the program is about to close.

#include <string>
#include <string_view>

namespace quillon {

// The box's text: the error, a blank line, and what happens next.
std::wstring ErrorBoxContent(std::wstring_view Text);

// Shows the box titled "Quillon" with the error icon, ErrorBoxContent(Text)
// and one button, "Close"; returns once the user has closed it. The box has
// no owner window: it runs on a thread of its own while the failing thread
// blocks, and owning a window of a blocked thread would block the box too.
void ShowErrorBox(std::wstring_view Text) noexcept;

// The same box where the task dialog is missing (common controls before
// version 6): a message box whose one button says "Close" too. Content is
// the whole text shown.
void ShowFallbackErrorBox(const wchar_t* Content) noexcept;

}  // namespace quillon
