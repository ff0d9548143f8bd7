#include "platform/error_box.h"

#include <windows.h>
#include <commctrl.h>

namespace quillon {

namespace {

constexpr wchar_t BoxTitle[] = L"Quillon";
constexpr int CloseButtonId = 100;

using TTaskDialogIndirect = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);

// Looked up rather than imported: only common controls 6 has it, and a
// missing import would keep the whole program from starting.
TTaskDialogIndirect FindTaskDialogIndirect() {
    const HMODULE Comctl = ::LoadLibraryW(L"comctl32.dll");
    if (!Comctl) return nullptr;
    const FARPROC Proc = ::GetProcAddress(Comctl, "TaskDialogIndirect");
    return reinterpret_cast<TTaskDialogIndirect>(reinterpret_cast<void (*)()>(Proc));
}

HRESULT CALLBACK OnBoxEvent(HWND Box, UINT Notification, WPARAM, LPARAM, LONG_PTR) {
    // With no owner the box could end up behind the main window, leaving a
    // program that looks hung; keep it on top like a system-modal box.
    if (Notification == TDN_CREATED)
        ::SetWindowPos(Box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return S_OK;
}

bool ShowTaskDialog(const std::wstring& Content) {
    const TTaskDialogIndirect TaskDialogIndirect = FindTaskDialogIndirect();
    if (!TaskDialogIndirect) return false;
    const TASKDIALOG_BUTTON Close{CloseButtonId, L"Close"};
    TASKDIALOGCONFIG Config{};
    Config.cbSize = sizeof Config;
    // Escape and the title bar's close box then work too; they end the
    // program just like the button.
    Config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
    Config.pszWindowTitle = BoxTitle;
    Config.pszMainIcon = TD_ERROR_ICON;
    Config.pszContent = Content.c_str();
    Config.cButtons = 1;
    Config.pButtons = &Close;
    Config.nDefaultButton = CloseButtonId;
    Config.pfCallback = OnBoxEvent;
    return SUCCEEDED(TaskDialogIndirect(&Config, nullptr, nullptr, nullptr));
}

}  // namespace

std::wstring ErrorBoxContent(std::wstring_view Text) {
    std::wstring Content(Text);
    Content += L"\n\nThe program will now close.";
    return Content;
}

void ShowErrorBox(std::wstring_view Text) noexcept try {
    const std::wstring Content = ErrorBoxContent(Text);
    if (ShowTaskDialog(Content)) return;
    ::MessageBoxW(nullptr, Content.c_str(), BoxTitle, MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
} catch (...) {
    // No memory for the text: still say that the program is closing.
    ::MessageBoxW(nullptr, L"The program will now close.", BoxTitle,
                  MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
}

}  // namespace quillon
