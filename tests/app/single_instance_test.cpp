// Quillon.exe itself: one copy at a time, a second start ends at once and
// silently, and closing the window ends the program with exit code 0.
#include "app/single_instance.h"
#include "platform/unique_handle.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

namespace quillon {
namespace {

constexpr wchar_t kMainClass[] = L"QuillonMainWindow";

std::wstring QuillonExe() { return test::WindowsPathFromEnvironment(L"QUILLON_EXE"); }

struct TProcess {
    UniqueKernelHandle Process;
    DWORD Id = 0;
};

TProcess Start(const std::wstring& Exe) {
    std::wstring command = L"\"" + Exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    TProcess result;
    if (!::CreateProcessW(Exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        ADD_FAILURE() << "CreateProcessW failed: " << ::GetLastError();
        return result;
    }
    ::CloseHandle(info.hThread);
    result.Process.reset(info.hProcess);
    result.Id = info.dwProcessId;
    return result;
}

struct TWindowSearch {
    DWORD ProcessId;
    int Count = 0;
    HWND Found = nullptr;
};

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

TWindowSearch FindMainWindows(DWORD ProcessId) {
    TWindowSearch search{ProcessId};
    ::EnumWindows(&CountMainWindows, reinterpret_cast<LPARAM>(&search));
    return search;
}

HWND WaitForMainWindow(DWORD ProcessId) {
    for (int i = 0; i < 300; ++i) {
        if (HWND found = FindMainWindows(ProcessId).Found) return found;
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

TEST(SingleInstance, ASecondCopyEndsAtOnceAndTheFirstEndsWithCodeZero) {
    const std::wstring exe = QuillonExe();
    ASSERT_FALSE(exe.empty()) << "QUILLON_EXE is not set";

    TProcess first = Start(exe);
    ASSERT_TRUE(first.Process);
    HWND window = WaitForMainWindow(first.Id);
    ASSERT_NE(window, nullptr) << "the first copy showed no main window";

    TProcess second = Start(exe);
    ASSERT_TRUE(second.Process);
    EXPECT_EQ(ExitCodeAfter(second.Process.get(), 15000), 0u);
    EXPECT_EQ(FindMainWindows(second.Id).Count, 0);
    EXPECT_EQ(FindMainWindows(0).Count, 1);

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(ExitCodeAfter(first.Process.get(), 15000), 0u);
    if (::WaitForSingleObject(first.Process.get(), 0) != WAIT_OBJECT_0) {
        ::TerminateProcess(first.Process.get(), 1);
    }
}

// Two copies started together can both find no mutex; the one that then
// does not create it, but finds it made, is the second.
TEST(SingleInstance, AMutexMadeByAnotherCopyMeanwhileMakesThisOneTheSecond) {
    // Under a name of this test's own: the claim's handle stays open until
    // the process ends, and Quillon's own name must stay free for the others.
    const std::wstring name = L"QuillonRaceTest" + std::to_wstring(::GetCurrentProcessId());
    EXPECT_TRUE(ClaimSingleInstance(name.c_str())) << "the first to make it";
    const UniqueKernelHandle other(::CreateMutexW(nullptr, FALSE, (name + L"Other").c_str()));
    ASSERT_TRUE(other);
    EXPECT_FALSE(ClaimSingleInstance((name + L"Other").c_str()));
}

}  // namespace
}  // namespace quillon
