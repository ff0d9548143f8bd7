#pragma once
// Quillon.exe as the tests start it (QUILLON_EXE): a process, and its main
// window found among the desktop's windows.

#include "platform/unique_handle.h"

#include <windows.h>

#include <string>

namespace quillon::test {

// A test that stops half-way leaves no copy behind: a copy still running
// would hold the single-instance mutex and turn every later start into a
// second copy that ends at once.
struct TProcess {
    UniqueKernelHandle Process;
    DWORD Id = 0;

    TProcess() = default;
    TProcess(TProcess&&) = default;
    TProcess& operator=(TProcess&&) = delete;
    ~TProcess();
};

// The program under test; empty when QUILLON_EXE is not set.
std::wstring QuillonExe();

// Starts Exe without arguments; an empty process (and a test failure) when
// it cannot be started.
// WorkingFolder is its current folder; the test's own when empty.
TProcess Start(const std::wstring& Exe, const std::wstring& WorkingFolder = {});

// The main windows of one process (ProcessId 0: of every process).
struct TWindowSearch {
    DWORD ProcessId;
    int Count = 0;
    HWND Found = nullptr;
};
TWindowSearch FindMainWindows(DWORD ProcessId);

// The process's main window once it is shown (and so has all its controls),
// waited for up to 15 seconds; null if none came.
HWND WaitForMainWindow(DWORD ProcessId);

// The exit code once the process has ended, or STILL_ACTIVE after Milliseconds.
DWORD ExitCodeAfter(HANDLE Process, DWORD Milliseconds);

}  // namespace quillon::test
