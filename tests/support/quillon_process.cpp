#include "tests/support/quillon_process.h"

#include "tests/support/test_files.h"

#include <gtest/gtest.h>

namespace quillon::test {
namespace {

constexpr wchar_t kMainClass[] = L"QuillonMainWindow";

BOOL CALLBACK CountMainWindows(HWND Wnd, LPARAM Param) {
    auto& search = *reinterpret_cast<TWindowSearch*>(Param);
    wchar_t cls[64]{};
    ::GetClassNameW(Wnd, cls, 64);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(Wnd, &owner);
    if (std::wstring(cls) == kMainClass && (search.ProcessId == 0 || owner == search.ProcessId)) {
        ++search.Count;
        search.Found = Wnd;
    }
    return TRUE;
}

}  // namespace

TProcess::~TProcess() {
    if (!Process || ::WaitForSingleObject(Process.get(), 0) == WAIT_OBJECT_0) return;
    ::TerminateProcess(Process.get(), 1);
    ::WaitForSingleObject(Process.get(), 5000);
}

std::wstring QuillonExe() { return WindowsPathFromEnvironment(L"QUILLON_EXE"); }

TProcess Start(const std::wstring& Exe, const std::wstring& WorkingFolder) {
    std::wstring command = L"\"" + Exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    TProcess result;
    if (!::CreateProcessW(Exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          WorkingFolder.empty() ? nullptr : WorkingFolder.c_str(), &startup, &info)) {
        ADD_FAILURE() << "CreateProcessW failed: " << ::GetLastError();
        return result;
    }
    ::CloseHandle(info.hThread);
    result.Process.reset(info.hProcess);
    result.Id = info.dwProcessId;
    return result;
}

TWindowSearch FindMainWindows(DWORD ProcessId) {
    TWindowSearch search{ProcessId};
    ::EnumWindows(&CountMainWindows, reinterpret_cast<LPARAM>(&search));
    return search;
}

HWND WaitForMainWindow(DWORD ProcessId) {
    for (int i = 0; i < 300; ++i) {
        // The window is listed from inside its own creation, before the
        // frame and the list exist; it is shown only once they do.
        HWND found = FindMainWindows(ProcessId).Found;
        if (found && ::IsWindowVisible(found)) return found;
        ::Sleep(50);
    }
    return nullptr;
}

DWORD ExitCodeAfter(HANDLE Process, DWORD Milliseconds) {
    if (::WaitForSingleObject(Process, Milliseconds) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    ::GetExitCodeProcess(Process, &code);
    return code;
}

}  // namespace quillon::test
