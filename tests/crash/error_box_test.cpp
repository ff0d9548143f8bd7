// The real box on screen (the test run provides a display), once on its own
// and once at the end of the program's whole error path in a child process.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <stdexcept>
#include <string>
#include <thread>

#include "crash/crash_handlers.h"
#include "crash/error_box.h"
#include "platform/fault_hook.h"
#include "platform/unique_handle.h"
#include "tests/crash/error_report_test_support.h"
#include "tests/support/endpoint_stub.h"

namespace quillon {
namespace {

using namespace std::chrono_literals;

// Checks the box and presses its only button.
void CheckAndCloseBox(HWND Box, const std::wstring& Text) {
    const std::vector<HWND> buttons = test::ButtonsOf(Box);
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(test::TextOf(buttons.front()), L"Close");
    bool contentShown = false;
    for (HWND child : test::ChildWindows(Box))
        contentShown = contentShown || test::TextOf(child) == ErrorBoxContent(Text);
    EXPECT_TRUE(contentShown) << "no control shows the error text";
    test::PressButton(Box, buttons.front());
}

TEST(ErrorBox, ShowsTheErrorWithOneCloseButtonAndReturnsWhenClosed) {
    EXPECT_EQ(ErrorBoxContent(L"Disk on fire"), L"Disk on fire\n\nThe program will now close.");
    // The task dialog, and the message box that stands in where there is
    // none: both say "Close".
    const std::function<void()> boxes[] = {
        [] { ShowErrorBox(L"Disk on fire"); },
        [] { ShowFallbackErrorBox(ErrorBoxContent(L"Disk on fire").c_str()); },
    };
    for (const std::function<void()>& show : boxes) {
        std::promise<void> closed;
        std::future<void> whenClosed = closed.get_future();
        std::thread worker([&closed, &show] {
            show();
            closed.set_value();
        });

        const HWND box = test::WaitForBox(::GetCurrentProcessId(), 5s);
        EXPECT_NE(box, nullptr) << "no window titled Quillon";
        if (box) CheckAndCloseBox(box, L"Disk on fire");
        if (whenClosed.wait_for(5s) != std::future_status::ready) {
            ADD_FAILURE() << "the box did not close";
            worker.detach();  // still blocked in the box; ends with the test program
            return;
        }
        worker.join();
    }
}

// Run only as the child of the test below, in a copy of this program: a
// window procedure of a visible window fails, as an event handler of the
// program would.
TEST(ErrorReportChild, DISABLED_WindowProcedureFails) {
    InstallCrashHandlers();
    const auto proc = [](HWND Wnd, UINT Message, WPARAM WParam, LPARAM LParam) CALLBACK -> LRESULT {
        if (Message == WM_APP) RunGuarded([] { throw std::logic_error("The row index is out of range"); });
        return ::DefWindowProcW(Wnd, Message, WParam, LParam);
    };
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = proc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"QuillonErrorChild";
    ::RegisterClassW(&windowClass);
    const HWND wnd = ::CreateWindowW(L"QuillonErrorChild", L"Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                     nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(wnd, nullptr);
    ::SendMessageW(wnd, WM_APP, 0, 0);
    ::ExitProcess(99);  // reached only if the error report returned
}

TEST(ErrorReport, ProgramWritesTheReportShowsTheBoxAndExitsWithCodeOne) {
    // Refused, so the whole report stays in the file.
    const test::TEndpointStub stub;
    stub.Script({{"paths", {{"/api.report.php", {{{"kind", "refuse"}}}}}}});
    // A copy of this program in a scratch folder, so bugreport.txt lands
    // there, beside the copy.
    test::TTempFolder folder;
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::filesystem::path copy = folder.Path() / L"Quillon.exe";
    ASSERT_TRUE(::CopyFileW(self, copy.c_str(), TRUE));
    std::wstring commandLine = L"\"" + copy.wstring() +
                               L"\" --gtest_also_run_disabled_tests"
                               L" --gtest_filter=ErrorReportChild.DISABLED_WindowProcedureFails";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(::CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 folder.Path().c_str(), &startup, &child));
    UniqueKernelHandle process(child.hProcess);
    UniqueKernelHandle thread(child.hThread);

    const HWND box = test::WaitForBox(child.dwProcessId, 10s);
    EXPECT_NE(box, nullptr) << "no window titled Quillon";
    // Already on disk while the box is up.
    const std::string file = test::ReadBytes(folder.Path() / L"bugreport.txt");
    EXPECT_NE(file.find("\r\nError: The row index is out of range\r\n"), std::string::npos) << file;
    // This program carries nlohmann-json's debug information, on which
    // Wine's dbghelp faults while it names frames: the stacks still come,
    // unnamed where need be.
    const std::string failed = "\r\n  Thread " + std::to_string(child.dwThreadId) + " (failed):\r\n    Quillon.exe+0x";
    EXPECT_NE(file.find(failed), std::string::npos) << file;
    if (box) CheckAndCloseBox(box, L"The row index is out of range");

    const bool ended = ::WaitForSingleObject(process.get(), 10000) == WAIT_OBJECT_0;
    if (!ended) ::TerminateProcess(process.get(), 0);
    ASSERT_TRUE(ended) << "the program did not end after the box";
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.get(), &exitCode);
    EXPECT_EQ(exitCode, 1u);
}

}  // namespace
}  // namespace quillon
