// The real program where the machine fails it: a Task Scheduler that
// refuses the connection (its service switched off) and a start-up file that
// cannot be deleted. The user is told in a box, the other entries are
// listed, the program goes on, and nothing reaches the crash report. And a
// Task Scheduler that lists tasks: the program lists and switches them.

#include "platform/files.h"
#include "platform/scope_exit.h"
#include "platform/text.h"
#include "tests/autorun/fake_scheduler_registration.h"
#include "tests/support/boxes.h"
#include "tests/support/endpoint_stub.h"
#include "tests/support/quillon_process.h"
#include "tests/support/remote_list.h"
#include "tests/support/run_values.h"
#include "tests/support/test_files.h"
#include "tests/support/wine_version.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

namespace quillon {
namespace {

using namespace std::chrono_literals;
using test::TEndpointStub;
using test::TFakeSchedulerRegistration;
using test::TRegistryView;

constexpr HRESULT kSchedulerNotRunning = static_cast<HRESULT>(0x80041315);

TRegistryView OwnView() { return sizeof(void*) == 8 ? TRegistryView::Bits64 : TRegistryView::Bits32; }

std::wstring Tagged(const std::wstring& Name) { return Name + std::to_wstring(::GetCurrentProcessId()); }

// Everything a box says, its controls' texts one after the other.
std::wstring BoxText(HWND Box) {
    std::wstring text;
    for (HWND child : test::ChildWindows(Box)) text += test::TextOf(child) + L"\n";
    return text;
}

// Waits for the program's box, reads it and answers OK; empty when none came.
std::wstring ReadAndCloseBox(DWORD ProcessId, std::chrono::milliseconds Timeout = 20s) {
    const HWND box = test::WaitForBox(ProcessId, Timeout);
    if (!box) return {};
    const std::wstring text = BoxText(box);
    ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 100 && ::IsWindow(box); ++i) std::this_thread::sleep_for(50ms);
    return text.empty() ? L"(a box without text)" : text;
}

bool WaitFor(const std::function<bool()>& Done, std::chrono::milliseconds Timeout = 20s) {
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    while (!Done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

// The program as a test drives it, and what it must never do here: end,
// or report a crash.
class FailuresTest : public ::testing::Test {
protected:
    FailuresTest() {
        FStub.Reply("{}");
        FReportBefore = test::ReadBytes(ReportFile());
    }

    void Start() {
        FQuillon.emplace(test::Start(test::QuillonExe()));
        ASSERT_TRUE(FQuillon->Process);
        FMain = test::WaitForMainWindow(FQuillon->Id);
        ASSERT_NE(FMain, nullptr);
        FControls = test::ControlsOf(FMain);
        ASSERT_NE(FControls.List, nullptr);
        ASSERT_NE(FControls.Switch, nullptr);
    }

    void ExpectStillRunningAndNothingReported() {
        EXPECT_EQ(test::ExitCodeAfter(FQuillon->Process.get(), 0), static_cast<DWORD>(STILL_ACTIVE));
        EXPECT_TRUE(FStub.RequestsTo("/api.report.php").empty()) << "no crash report was sent";
        EXPECT_EQ(test::ReadBytes(ReportFile()), FReportBefore) << "nothing was written to bugreport.txt";
    }

    void CloseProgram() {
        ::PostMessageW(FMain, WM_CLOSE, 0, 0);
        EXPECT_EQ(test::ExitCodeAfter(FQuillon->Process.get(), 15000), 0u);
    }

    static std::filesystem::path ReportFile() {
        return std::filesystem::path(test::QuillonExe()).parent_path() / L"bugreport.txt";
    }

    TEndpointStub FStub;
    std::string FReportBefore;
    std::optional<test::TProcess> FQuillon;
    HWND FMain = nullptr;
    test::TQuillonControls FControls;
};

TEST_F(FailuresTest, ATaskSchedulerThatRefusesTheConnectionIsToldAtStartAndOnF5AndTheOtherEntriesAreListed) {
    test::TRunValues values;
    const std::wstring shown = values.Add(Tagged(L"QlnBesideRefused"), L"C:\\QlnNowhere\\tool.exe");
    const TFakeSchedulerRegistration scheduler(test::FakeSchedulerServer(), OwnView(), {{Tagged(L"QlnTask"), true}},
                                               kSchedulerNotRunning);
    Start();

    const std::wstring told = ReadAndCloseBox(FQuillon->Id);
    EXPECT_NE(told.find(L"The Task Scheduler cannot be connected (0x80041315)"), std::wstring::npos) << told;
    EXPECT_EQ(told.find(L"will now close"), std::wstring::npos) << "not the crash report's box: " << told;
    const test::TRemoteList list(FControls.List);
    EXPECT_TRUE(WaitFor([&] { return list.Find(shown) >= 0; })) << "the Run value is listed all the same";
    EXPECT_EQ(list.Find(Tagged(L"QlnTask")), -1);
    // The service's answer rebuilds the list; the same failure is not told
    // again by a refresh nobody asked for.
    EXPECT_TRUE(WaitFor([&] { return FStub.RequestsTo("/api.init.php").size() == 1; }));
    EXPECT_EQ(test::WaitForBox(FQuillon->Id, 1500ms), nullptr);

    // F5 tries again, and is told again.
    test::PostF5(FControls.List);
    const std::wstring toldAgain = ReadAndCloseBox(FQuillon->Id);
    EXPECT_NE(toldAgain.find(L"0x80041315"), std::wstring::npos) << toldAgain;
    EXPECT_TRUE(WaitFor([&] { return list.Find(shown) >= 0; }));

    // Once the scheduler answers, F5 lists its task and tells nothing.
    scheduler.SetConnectResult(S_OK);
    test::PostF5(FControls.List);
    EXPECT_TRUE(WaitFor([&] { return list.Find(Tagged(L"QlnTask")) >= 0; }));
    EXPECT_EQ(test::WaitForBox(FQuillon->Id, 500ms), nullptr);

    ExpectStillRunningAndNothingReported();
    CloseProgram();
}

TEST_F(FailuresTest, AReadOnlyStartupFileSwitchedOffBeforeWindows10IsKeptAndTheUserIsTold) {
    // Before Windows 10 switching a start-up file off deletes it.
    const test::TWineVersionFor windows7(std::filesystem::path(test::QuillonExe()).filename().wstring(), L"win7");
    const test::TStartupFolders folders;
    const std::wstring name = Tagged(L"QlnReadOnly");
    const std::wstring file = folders.User + L"\\" + name + L".lnk";
    test::WriteBytes(file, "not really a shortcut");
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    const auto removeFile = ScopeExit([&file] {
        ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(file.c_str());
    });
    Start();
    const test::TRemoteList list(FControls.List);
    ASSERT_TRUE(WaitFor([&] { return list.Find(name) >= 0; }));

    list.Select(list.Find(name));
    test::PostClick(FControls.Switch);
    const std::wstring told = ReadAndCloseBox(FQuillon->Id);
    EXPECT_NE(told.find(file), std::wstring::npos) << "the box names the file: " << told;
    EXPECT_TRUE(FileExists(file)) << "the file is kept";
    EXPECT_TRUE(WaitFor([&] { return list.Find(name) >= 0; })) << "and still listed";

    ExpectStillRunningAndNothingReported();
    CloseProgram();
}

TEST_F(FailuresTest, TheTasksOfASchedulerThatListsThemAreShownAndSwitched) {
    const std::wstring task = Tagged(L"QlnNightly");
    const TFakeSchedulerRegistration scheduler(test::FakeSchedulerServer(), OwnView(),
                                               {{task, true}, {Tagged(L"QlnHiddenTask"), true, true}});
    Start();
    const test::TRemoteList list(FControls.List);
    ASSERT_TRUE(WaitFor([&] { return list.Find(task) >= 0; }));
    EXPECT_EQ(list.Text(list.Find(task), 1), L"SCHE");
    EXPECT_EQ(list.Find(Tagged(L"QlnHiddenTask")), -1) << "a hidden task is not listed";

    list.Select(list.Find(task));
    test::PostClick(FControls.Switch);
    EXPECT_TRUE(WaitFor([&] { return !scheduler.Tasks().at(0).Enabled; })) << "switched off in the scheduler";
    test::PostClick(FControls.Switch);
    EXPECT_TRUE(WaitFor([&] { return scheduler.Tasks().at(0).Enabled; })) << "and on again";

    ExpectStillRunningAndNothingReported();
    CloseProgram();
}

}  // namespace
}  // namespace quillon
