#include "crash/error_box.h"

#include <windows.h>
#include <commctrl.h>

namespace quillon {

namespace {

constexpr wchar_t kBoxTitle[] = L"Quillon";
constexpr int kCloseButtonId = 100;

using TTaskDialogIndirect = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// Looked up rather than imported: only common controls 6 has it, and a
// missing import would keep the whole program from starting.
TTaskDialogIndirect FindTaskDialogIndirect() {
    const HMODULE comctl = ::LoadLibraryW(L"comctl32.dll");
    if (!comctl) return nullptr;
    const FARPROC proc = ::GetProcAddress(comctl, "TaskDialogIndirect");
    return reinterpret_cast<TTaskDialogIndirect>(reinterpret_cast<void (*)()>(proc));
}

HRESULT CALLBACK OnBoxEvent(HWND Box, UINT Notification, WPARAM, LPARAM, LONG_PTR) {
    // With no owner the box could end up behind the main window, leaving a
    // program that looks hung; keep it on top like a system-modal box.
    if (Notification == TDN_CREATED) ::SetWindowPos(Box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return S_OK;
}

bool ShowTaskDialog(const std::wstring& Content) {
    const TTaskDialogIndirect taskDialogIndirect = FindTaskDialogIndirect();
    if (!taskDialogIndirect) return false;
    const TASKDIALOG_BUTTON close{kCloseButtonId, L"Close"};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    // Escape and the title bar's close box then work too; they end the
    // program just like the button.
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
    config.pszWindowTitle = kBoxTitle;
    config.pszMainIcon = TD_ERROR_ICON;
    config.pszContent = Content.c_str();
    config.cButtons = 1;
    config.pButtons = &close;
    config.nDefaultButton = kCloseButtonId;
    config.pfCallback = OnBoxEvent;
    return SUCCEEDED(taskDialogIndirect(&config, nullptr, nullptr, nullptr));
}

}  // namespace

std::wstring ErrorBoxContent(std::wstring_view Text) {
    std::wstring content(Text);
    content += L"\n\nThe program will now close.";
    return content;
}

void ShowErrorBox(std::wstring_view Text) noexcept try {
    const std::wstring content = ErrorBoxContent(Text);
    if (ShowTaskDialog(content)) return;
    ::MessageBoxW(nullptr, content.c_str(), kBoxTitle, MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
} catch (...) {
    // No memory for the text: still say that the program is closing.
    ::MessageBoxW(nullptr, L"The program will now close.", kBoxTitle, MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
}

}  // namespace quillon
