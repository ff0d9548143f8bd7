#include "tests/support/running_quillon.h"

#include "tests/support/boxes.h"

#include <gtest/gtest.h>

#include <thread>

namespace quillon::test {

using namespace std::chrono_literals;

TRunningQuillon::TRunningQuillon(const std::wstring& Exe, const std::wstring& WorkingFolder)
    : FProcess(Start(Exe.empty() ? QuillonExe() : Exe, WorkingFolder)) {
    if (!FProcess.Process) return;
    FMain = WaitForMainWindow(FProcess.Id);
    if (!FMain) {
        ADD_FAILURE() << "the main window did not show";
        return;
    }
    FControls = ControlsOf(FMain);
    if (!FControls.List || !FControls.Switch || !FControls.AllPrograms) {
        ADD_FAILURE() << "the main window lacks the list, the switch or the check box";
        return;
    }
    FList = std::make_unique<TRemoteList>(FControls.List);
}

TRunningQuillon::~TRunningQuillon() {
    if (Running() && FMain) Close();
}

bool TRunningQuillon::Running() const {
    return FProcess.Process && ExitCodeAfter(FProcess.Process.get(), 0) == STILL_ACTIVE;
}

DWORD TRunningQuillon::Close() {
    ::PostMessageW(FMain, WM_CLOSE, 0, 0);
    return ExitCodeAfter(FProcess.Process.get(), 15000);
}

bool WaitFor(const std::function<bool()>& Done, std::chrono::milliseconds Timeout) {
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    for (;;) {
        if (Done()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
}

std::wstring ReadAndCloseBox(DWORD ProcessId, int Answer, std::chrono::milliseconds Timeout) {
    const HWND box = WaitForBox(ProcessId, Timeout);
    if (!box) return {};
    std::wstring text;
    for (HWND child : ChildWindows(box)) text += TextOf(child) + L"\n";
    ::PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(Answer), 0);
    WaitFor([box] { return !::IsWindow(box); }, 5s);
    return text;
}

}  // namespace quillon::test
