#pragma once
// Quillon.exe started by a test and worked from outside, as a user works
// it: its main window shown, its list read, its buttons clicked, its boxes
// answered. Ended (closed, or killed if need be) when the object goes.

#include "tests/support/quillon_process.h"
#include "tests/support/remote_list.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace quillon::test {

class TRunningQuillon {
public:
    // Starts Exe (QuillonExe() when empty) with WorkingFolder as its
    // current folder (the test's when empty) and waits until its main
    // window shows; a test failure when it does not.
    explicit TRunningQuillon(const std::wstring& Exe = {}, const std::wstring& WorkingFolder = {});
    ~TRunningQuillon();
    TRunningQuillon(const TRunningQuillon&) = delete;
    TRunningQuillon& operator=(const TRunningQuillon&) = delete;

    // False when the program did not start or show its window.
    explicit operator bool() const noexcept { return FMain != nullptr && FList != nullptr; }

    [[nodiscard]] DWORD Id() const noexcept { return FProcess.Id; }
    [[nodiscard]] HANDLE Process() const noexcept { return FProcess.Process.get(); }
    [[nodiscard]] HWND Main() const noexcept { return FMain; }
    [[nodiscard]] const TQuillonControls& Controls() const noexcept { return FControls; }
    [[nodiscard]] const TRemoteList& List() const { return *FList; }

    [[nodiscard]] bool Running() const;
    // Closes the main window as the user would; the exit code, or
    // STILL_ACTIVE when the program has not ended within 15 seconds.
    DWORD Close();

private:
    TProcess FProcess;
    HWND FMain = nullptr;
    TQuillonControls FControls;
    std::unique_ptr<TRemoteList> FList;
};

// Waits (without pumping: the program is another process) until Done says
// so or Timeout has passed; Done's last answer.
bool WaitFor(const std::function<bool()>& Done, std::chrono::milliseconds Timeout = std::chrono::seconds(20));

// Waits for a box of process ProcessId, reads every text it shows (one line
// per control) and answers it with the command Answer (IDOK, IDNO...).
// Empty when no box came within Timeout.
std::wstring ReadAndCloseBox(DWORD ProcessId, int Answer = IDOK,
                             std::chrono::milliseconds Timeout = std::chrono::seconds(20));

}  // namespace quillon::test
