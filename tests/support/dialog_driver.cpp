#include "tests/support/dialog_driver.h"

#include "service/update_dialog.h"

#include <utility>

namespace quillon::test {
namespace {

thread_local TDialogDriver* GDriver = nullptr;

HWND FindDialog() {
    HWND found = nullptr;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND Wnd, LPARAM Param) CALLBACK -> BOOL {
            wchar_t name[64]{};
            ::GetClassNameW(Wnd, name, 64);
            if (std::wstring(name) != kUpdateDialogClass || !::IsWindowVisible(Wnd)) return TRUE;
            *reinterpret_cast<HWND*>(Param) = Wnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

}  // namespace

TDialogDriver::TDialogDriver(std::vector<TStep> Steps) : FSteps(std::move(Steps)) {
    GDriver = this;
    FTimer = ::SetTimer(nullptr, 0, 30, &TDialogDriver::OnTimer);
}

TDialogDriver::~TDialogDriver() {
    ::KillTimer(nullptr, FTimer);
    GDriver = nullptr;
}

void CALLBACK TDialogDriver::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    TDialogDriver* driver = GDriver;
    if (!driver) return;
    HWND dialog = FindDialog();
    if (!dialog) return;
    if (dialog != driver->FLast) {
        driver->FLast = dialog;
        driver->FNext = 0;
        ++driver->FShown;
    }
    if (driver->FNext < driver->FSteps.size()) driver->FSteps[driver->FNext++](dialog);
}

void PressKey(HWND Dialog, WPARAM Key) {
    HWND focus = ::GetFocus();
    ::PostMessageW(focus && ::IsChild(Dialog, focus) ? focus : Dialog, WM_KEYDOWN, Key, 1);
}

std::vector<HWND> ChildrenOfClass(HWND Dialog, const std::wstring& ClassName) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(Dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64]{};
        ::GetClassNameW(child, name, 64);
        if (_wcsicmp(name, ClassName.c_str()) == 0) children.push_back(child);
    }
    return children;
}

std::vector<HWND> PushButtons(HWND Dialog) {
    std::vector<HWND> buttons;
    for (HWND button : ChildrenOfClass(Dialog, L"Button")) {
        const LONG kind = ::GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK;
        if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON) buttons.push_back(button);
    }
    return buttons;
}

HWND CheckBoxOf(HWND Dialog) {
    for (HWND button : ChildrenOfClass(Dialog, L"Button")) {
        if ((::GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX) return button;
    }
    return nullptr;
}

}  // namespace quillon::test
