// The real box on screen (the test run provides a display), once on its own
// and once at the end of the program's whole error path in a child process.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/errors.h"
#include "platform/error_box.h"
#include "platform/error_report.h"
#include "platform/unique_handle.h"
#include "tests/platform/error_report_test_support.h"

namespace quillon {
namespace {

using namespace std::chrono_literals;

// Checks the box and presses its only button the way TaskDialog expects:
// TDM_CLICK_BUTTON with the button's id, which works whether the buttons are
// controls of their own or drawn inside the dialog.
void CheckAndCloseBox(HWND Box, const std::wstring& Text) {
    const std::vector<HWND> Buttons = test::ButtonsOf(Box);
    ASSERT_EQ(Buttons.size(), 1u);
    EXPECT_EQ(test::WindowText(Buttons.front()), L"Close");
    bool ContentShown = false;
    for (HWND Child : test::ChildWindows(Box))
        ContentShown = ContentShown || test::WindowText(Child) == ErrorBoxContent(Text);
    EXPECT_TRUE(ContentShown) << "no control shows the error text";
    ::PostMessageW(Box, TDM_CLICK_BUTTON, static_cast<WPARAM>(::GetDlgCtrlID(Buttons.front())), 0);
}

TEST(ErrorBox, ShowsTheErrorWithOneCloseButtonAndReturnsWhenClosed) {
    EXPECT_EQ(ErrorBoxContent(L"Disk on fire"), L"Disk on fire\n\nThe program will now close.");

    std::promise<void> Closed;
    std::future<void> WhenClosed = Closed.get_future();
    std::thread Worker([&Closed] {
        ShowErrorBox(L"Disk on fire");
        Closed.set_value();
    });

    const HWND Box = test::WaitForBox(::GetCurrentProcessId(), 5s);
    EXPECT_NE(Box, nullptr) << "no window titled Quillon";
    if (Box) CheckAndCloseBox(Box, L"Disk on fire");
    if (WhenClosed.wait_for(5s) != std::future_status::ready) {
        ADD_FAILURE() << "the box did not close";
        Worker.detach();  // still blocked in the box; ends with the test program
        return;
    }
    Worker.join();
}

// Run only as the child of the test below, in a copy of this program: a
// window procedure of a visible window fails, as an event handler of the
// program would.
TEST(ErrorReportChild, DISABLED_WindowProcedureFails) {
    const auto Proc = [](HWND Wnd, UINT Message, WPARAM WParam, LPARAM LParam) -> LRESULT {
        if (Message == WM_APP)
            RunGuarded([] { throw TAppError(L"The specified path was not found"); });
        return ::DefWindowProcW(Wnd, Message, WParam, LParam);
    };
    WNDCLASSW Class{};
    Class.lpfnWndProc = Proc;
    Class.hInstance = ::GetModuleHandleW(nullptr);
    Class.lpszClassName = L"QuillonErrorChild";
    ::RegisterClassW(&Class);
    const HWND Wnd = ::CreateWindowW(L"QuillonErrorChild", L"Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                     0, 0, 400, 300, nullptr, nullptr, Class.hInstance, nullptr);
    ASSERT_NE(Wnd, nullptr);
    ::SendMessageW(Wnd, WM_APP, 0, 0);
    ::ExitProcess(99);  // reached only if the error report returned
}

TEST(ErrorReport, ProgramWritesTheReportShowsTheBoxAndExitsWithCodeOne) {
    // A copy of this program in a scratch folder, so bugreport.txt lands
    // there, beside the copy.
    test::TTempFolder Folder;
    wchar_t Self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, Self, MAX_PATH);
    const std::filesystem::path Copy = Folder.Path() / L"Quillon.exe";
    ASSERT_TRUE(::CopyFileW(Self, Copy.c_str(), TRUE));
    std::wstring CommandLine = L"\"" + Copy.wstring() +
                               L"\" --gtest_also_run_disabled_tests"
                               L" --gtest_filter=ErrorReportChild.DISABLED_WindowProcedureFails";
    STARTUPINFOW Startup{};
    Startup.cb = sizeof Startup;
    PROCESS_INFORMATION Child{};
    ASSERT_TRUE(::CreateProcessW(Copy.c_str(), CommandLine.data(), nullptr, nullptr, FALSE, 0,
                                 nullptr, Folder.Path().c_str(), &Startup, &Child));
    UniqueKernelHandle Process(Child.hProcess);
    UniqueKernelHandle Thread(Child.hThread);

    const HWND Box = test::WaitForBox(Child.dwProcessId, 10s);
    EXPECT_NE(Box, nullptr) << "no window titled Quillon";
    // Already on disk while the box is up.
    const std::string File = test::ReadBytes(Folder.Path() / L"bugreport.txt");
    EXPECT_NE(File.find("\r\nError: The specified path was not found\r\n"), std::string::npos) << File;
    if (Box) CheckAndCloseBox(Box, L"The specified path was not found");

    const bool Ended = ::WaitForSingleObject(Process.get(), 10000) == WAIT_OBJECT_0;
    if (!Ended) ::TerminateProcess(Process.get(), 0);
    ASSERT_TRUE(Ended) << "the program did not end after the box";
    DWORD ExitCode = 0;
    ::GetExitCodeProcess(Process.get(), &ExitCode);
    EXPECT_EQ(ExitCode, 1u);
}

}  // namespace
}  // namespace quillon
