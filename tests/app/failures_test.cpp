// The real program where the machine fails it: a Task Scheduler that
// refuses the connection (its service switched off) and a start-up file that
// cannot be deleted. The user is told in a box, the other entries are
// listed, the program goes on, and nothing reaches the crash report. And a
// Task Scheduler that lists tasks: the program lists and switches them.

#include "platform/files.h"
#include "platform/scope_exit.h"
#include "tests/autorun/fake_scheduler_registration.h"
#include "tests/support/boxes.h"
#include "tests/support/endpoint_stub.h"
#include "tests/support/run_values.h"
#include "tests/support/running_quillon.h"
#include "tests/support/test_files.h"
#include "tests/support/wine_version.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace quillon {
namespace {

using namespace std::chrono_literals;
using test::ReadAndCloseBox;
using test::TEndpointStub;
using test::TFakeSchedulerRegistration;
using test::TRunningQuillon;
using test::WaitFor;

constexpr HRESULT kSchedulerNotRunning = static_cast<HRESULT>(0x80041315);

test::TRegistryView OwnView() { return sizeof(void*) == 8 ? test::TRegistryView::Bits64 : test::TRegistryView::Bits32; }

std::wstring Tagged(const std::wstring& Name) { return Name + std::to_wstring(::GetCurrentProcessId()); }

// What the program must never do here: end, or report a crash.
class FailuresTest : public ::testing::Test {
protected:
    FailuresTest() { FStub.Reply("{}"); }

    void ExpectStillRunningAndNothingReported(const TRunningQuillon& Quillon) {
        EXPECT_TRUE(Quillon.Running());
        EXPECT_TRUE(FStub.RequestsTo("/api.report.php").empty()) << "no crash report was sent";
        EXPECT_EQ(test::ReadBytes(ReportFile()), FReportBefore) << "nothing was written to bugreport.txt";
    }

    static std::filesystem::path ReportFile() {
        return std::filesystem::path(test::QuillonExe()).parent_path() / L"bugreport.txt";
    }

    TEndpointStub FStub;
    const std::string FReportBefore = test::ReadBytes(ReportFile());
};

TEST_F(FailuresTest, ATaskSchedulerThatRefusesTheConnectionIsToldAtStartAndOnF5AndTheOtherEntriesAreListed) {
    test::TRunValues values;
    const std::wstring shown = values.Add(Tagged(L"QlnBesideRefused"), L"C:\\QlnNowhere\\tool.exe");
    const TFakeSchedulerRegistration scheduler(test::FakeSchedulerServer(), OwnView(), {{Tagged(L"QlnTask"), true}},
                                               kSchedulerNotRunning);
    TRunningQuillon quillon;
    ASSERT_TRUE(quillon);

    const std::wstring told = ReadAndCloseBox(quillon.Id());
    EXPECT_NE(told.find(L"The Task Scheduler cannot be connected (0x80041315)"), std::wstring::npos) << told;
    EXPECT_EQ(told.find(L"will now close"), std::wstring::npos) << "not the crash report's box: " << told;
    const test::TRemoteList& list = quillon.List();
    EXPECT_TRUE(WaitFor([&] { return list.Find(shown) >= 0; })) << "the Run value is listed all the same";
    EXPECT_EQ(list.Find(Tagged(L"QlnTask")), -1);
    // The service's answer rebuilds the list; the same failure is not told
    // again by a refresh nobody asked for.
    EXPECT_TRUE(WaitFor([&] { return FStub.RequestsTo("/api.init.php").size() == 1; }));
    EXPECT_EQ(test::WaitForBox(quillon.Id(), 1500ms), nullptr);

    // F5 tries again, and is told again.
    test::PostF5(quillon.Controls().List);
    const std::wstring toldAgain = ReadAndCloseBox(quillon.Id());
    EXPECT_NE(toldAgain.find(L"0x80041315"), std::wstring::npos) << toldAgain;
    EXPECT_TRUE(WaitFor([&] { return list.Find(shown) >= 0; }));

    // Once the scheduler answers, F5 lists its task and tells nothing.
    scheduler.SetConnectResult(S_OK);
    test::PostF5(quillon.Controls().List);
    EXPECT_TRUE(WaitFor([&] { return list.Find(Tagged(L"QlnTask")) >= 0; }));
    EXPECT_EQ(test::WaitForBox(quillon.Id(), 500ms), nullptr);

    ExpectStillRunningAndNothingReported(quillon);
    EXPECT_EQ(quillon.Close(), 0u);
}

TEST_F(FailuresTest, AReadOnlyStartupFileSwitchedOffBeforeWindows10IsKeptAndTheUserIsTold) {
    // Before Windows 10 switching a start-up file off deletes it.
    const test::TWineVersionFor windows7(std::filesystem::path(test::QuillonExe()).filename().wstring(), L"win7");
    const test::TStartupFolders folders;
    const std::wstring name = Tagged(L"QlnReadOnly");
    const std::wstring file = folders.User + L"\\" + name + L".lnk";
    test::WriteBytes(file, "not really a shortcut");
    const auto removeFile = ScopeExit([&file] {
        ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(file.c_str());
    });
    ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    TRunningQuillon quillon;
    ASSERT_TRUE(quillon);
    const test::TRemoteList& list = quillon.List();
    ASSERT_TRUE(WaitFor([&] { return list.Find(name) >= 0; }));

    list.Select(list.Find(name));
    test::PostClick(quillon.Controls().Switch);
    const std::wstring told = ReadAndCloseBox(quillon.Id());
    EXPECT_NE(told.find(file), std::wstring::npos) << "the box names the file: " << told;
    EXPECT_TRUE(FileExists(file)) << "the file is kept";
    EXPECT_TRUE(WaitFor([&] { return list.Find(name) >= 0; })) << "and still listed";

    ExpectStillRunningAndNothingReported(quillon);
    EXPECT_EQ(quillon.Close(), 0u);
}

TEST_F(FailuresTest, TheTasksOfASchedulerThatListsThemAreShownAndSwitched) {
    const std::wstring task = Tagged(L"QlnNightly");
    const TFakeSchedulerRegistration scheduler(test::FakeSchedulerServer(), OwnView(),
                                               {{task, true}, {Tagged(L"QlnHiddenTask"), true, true}});
    TRunningQuillon quillon;
    ASSERT_TRUE(quillon);
    const test::TRemoteList& list = quillon.List();
    ASSERT_TRUE(WaitFor([&] { return list.Find(task) >= 0; }));
    EXPECT_EQ(list.Text(list.Find(task), 1), L"SCHE");
    EXPECT_EQ(list.Find(Tagged(L"QlnHiddenTask")), -1) << "a hidden task is not listed";

    list.Select(list.Find(task));
    test::PostClick(quillon.Controls().Switch);
    EXPECT_TRUE(WaitFor([&] { return !scheduler.Tasks().at(0).Enabled; })) << "switched off in the scheduler";
    test::PostClick(quillon.Controls().Switch);
    EXPECT_TRUE(WaitFor([&] { return scheduler.Tasks().at(0).Enabled; })) << "and on again";

    ExpectStillRunningAndNothingReported(quillon);
    EXPECT_EQ(quillon.Close(), 0u);
}

}  // namespace
}  // namespace quillon
