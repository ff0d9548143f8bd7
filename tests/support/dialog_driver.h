#pragma once
// Drives the update dialog from inside its own message loop: a thread timer
// of the test's thread looks for the dialog among this thread's windows and,
// once it is up, runs the test's steps on it, one per tick, which inspect it
// and answer it the way a user would (keys, clicks). A timer tick comes only
// when the queue is empty, so what one step posts has been handled by the
// dialog before the next step runs.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace quillon::test {

class TDialogDriver {
public:
    using TStep = std::function<void(HWND Dialog)>;
    explicit TDialogDriver(std::vector<TStep> Steps);
    ~TDialogDriver();
    TDialogDriver(const TDialogDriver&) = delete;
    TDialogDriver& operator=(const TDialogDriver&) = delete;

    // How many dialogs were shown so far; each gets all the steps.
    [[nodiscard]] int Shown() const noexcept { return FShown; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    std::vector<TStep> FSteps;
    UINT_PTR FTimer = 0;
    HWND FLast = nullptr;
    std::size_t FNext = 0;
    int FShown = 0;
};

// A key pressed in the dialog, where its focus is.
void PressKey(HWND Dialog, WPARAM Key);

// The dialog's child windows of one class ("Button", "Static"), in creation
// order.
std::vector<HWND> ChildrenOfClass(HWND Dialog, const std::wstring& ClassName);
// The push buttons (Yes, No) and the check box among the dialog's buttons.
std::vector<HWND> PushButtons(HWND Dialog);
HWND CheckBoxOf(HWND Dialog);

}  // namespace quillon::test
