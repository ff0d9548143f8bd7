// Quillon.exe itself: one copy at a time, a second start ends at once and
// silently, and closing the window ends the program with exit code 0.
#include "app/single_instance.h"
#include "platform/unique_handle.h"
#include "tests/support/endpoint_stub.h"
#include "tests/support/quillon_process.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace quillon {
namespace {

using test::ExitCodeAfter;
using test::FindMainWindows;
using test::QuillonExe;
using test::Start;
using test::TProcess;
using test::WaitForMainWindow;

TEST(SingleInstance, ASecondCopyEndsAtOnceAndTheFirstEndsWithCodeZero) {
    // The program asks the stub at start; this test wants no offer.
    const test::TEndpointStub stub;
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
