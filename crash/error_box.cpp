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

// The message box names its one button "OK"; this box ends the program, so
// its button says "Close", as the task dialog's does. The box is renamed by
// a hook on this thread as it is activated, before it is drawn.
LRESULT CALLBACK RenameOkToClose(int Code, WPARAM WParam, LPARAM LParam) {
    if (Code == HCBT_ACTIVATE) ::SetDlgItemTextW(reinterpret_cast<HWND>(WParam), IDOK, L"Close");
    return ::CallNextHookEx(nullptr, Code, WParam, LParam);
}

}  // namespace

void ShowFallbackErrorBox(const wchar_t* Content) noexcept {
    const HHOOK hook = ::SetWindowsHookExW(WH_CBT, &RenameOkToClose, nullptr, ::GetCurrentThreadId());
    ::MessageBoxW(nullptr, Content, kBoxTitle, MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
    if (hook) ::UnhookWindowsHookEx(hook);
}

std::wstring ErrorBoxContent(std::wstring_view Text) {
    std::wstring content(Text);
    content += L"\n\nThe program will now close.";
    return content;
}

void ShowErrorBox(std::wstring_view Text) noexcept try {
    const std::wstring content = ErrorBoxContent(Text);
    if (ShowTaskDialog(content)) return;
    ShowFallbackErrorBox(content.c_str());
} catch (...) {
    // No memory for the text: still say that the program is closing.
    ShowFallbackErrorBox(L"The program will now close.");
}

}  // namespace quillon
