// The fake Task Scheduler server, registered for CLSID_TaskScheduler, as the
// program's own code meets it: made through CoCreateInstance like Wine's
// scheduler, listing and switching the configured tasks and refusing to
// connect when told to; and Wine's scheduler again once the registration
// has gone.

#include "autorun/scheduled_tasks.h"
#include "autorun/switching.h"
#include "autorun/task_scheduler.h"
#include "platform/com_types.h"
#include "platform/errors.h"
#include "platform/registry.h"
#include "tests/autorun/fake_scheduler_registration.h"
#include "tests/autorun/fake_scheduler_state.h"
#include "tests/support/com_thread.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace quillon {
namespace {

using Microsoft::WRL::ComPtr;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Pair;

using test::FakeSchedulerServer;
using test::OnNewThread;
using test::TaskSchedulerServerKey;
using test::TFakeSchedulerRegistration;
using test::TRegistryView;

const std::vector<TFakeTask> kTasks = {{L"Backup", true, false}, {L"Secret", true, true}, {L"Cleanup", false, false}};

std::vector<std::pair<std::wstring, bool>> ListedTasks() {
    TAutorunList list;
    OnNewThread([&] { CollectScheduledTasks(list); });
    std::vector<std::pair<std::wstring, bool>> listed;
    for (const TAutorunInfo& entry : list) listed.emplace_back(entry.Target, entry.Enabled);
    return listed;
}

std::vector<std::wstring> Lines(const std::vector<TFakeTask>& Tasks) {
    std::vector<std::wstring> lines;
    for (const TFakeTask& task : Tasks) lines.push_back(test::FakeTaskLine(task));
    return lines;
}

// What get_Count of the root folder's collection answers, through a
// scheduler made as the program makes it: Wine's own says E_NOTIMPL.
HRESULT CountRootTasks() {
    HRESULT status = E_UNEXPECTED;
    OnNewThread([&] {
        ASSERT_EQ(::CoInitialize(nullptr), S_OK);
        try {
            const ComPtr<ITaskService> service = CoTaskScheduler_::Create();
            const TVariant none;
            ComPtr<ITaskFolder> root;
            ComPtr<IRegisteredTaskCollection> tasks;
            LONG count = 0;
            status = service->Connect(none.get(), none.get(), none.get(), none.get());
            if (SUCCEEDED(status)) status = service->GetFolder(MakeBstr(L"\\").get(), root.GetAddressOf());
            if (SUCCEEDED(status)) status = root->GetTasks(0, tasks.GetAddressOf());
            if (SUCCEEDED(status)) status = tasks->get_Count(&count);
        } catch (const TAppError& error) {
            status = static_cast<HRESULT>(error.Code());
        }
        ::CoUninitialize();
    });
    return status;
}

std::wstring RegisteredServer(TRegistryView View) {
    return TReg::ReadString(HKEY_LOCAL_MACHINE, TaskSchedulerServerKey(View), L"", L"");
}

class SchedulerServer : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(Server.empty()) << "QUILLON_FAKE_SCHEDULER is not set"; }

    const std::wstring Server = FakeSchedulerServer();
};

TEST_F(SchedulerServer, ListsAndSwitchesTheConfiguredTasks) {
    const TFakeSchedulerRegistration registration(Server, TRegistryView::Bits64, kTasks);

    EXPECT_THAT(ListedTasks(), ElementsAre(Pair(L"\\Backup", true), Pair(L"\\Cleanup", false)));

    OnNewThread([] { SetTaskState(L"\\Cleanup", true); });
    EXPECT_THAT(Lines(registration.Tasks()), ElementsAre(L"Backup|1|0", L"Secret|1|1", L"Cleanup|1|0"));
    EXPECT_THAT(registration.Calls(), Contains(L"put_Enabled(Cleanup, -1)"));
    EXPECT_THAT(ListedTasks(), ElementsAre(Pair(L"\\Backup", true), Pair(L"\\Cleanup", true)));

    OnNewThread([] { SetTaskState(L"\\Backup", false); });
    EXPECT_THAT(Lines(registration.Tasks()), ElementsAre(L"Backup|0|0", L"Secret|1|1", L"Cleanup|1|0"));
}

TEST_F(SchedulerServer, ARefusedConnectionRaisesNamingTheCode) {
    const TFakeSchedulerRegistration registration(Server, TRegistryView::Bits64, kTasks, SCHED_E_SERVICE_NOT_RUNNING);
    TAutorunList list;
    OnNewThread([&] {
        try {
            CollectScheduledTasks(list);
            ADD_FAILURE() << "no TAppError";
        } catch (const TAppError& error) {
            EXPECT_EQ(error.Code(), 0x80041315u);
            EXPECT_THAT(error.Message(), HasSubstr(L"0x80041315"));
        }
    });
    EXPECT_TRUE(list.empty());
    EXPECT_THAT(registration.Calls(), ElementsAre(L"Connect(empty, empty, empty, empty)"));
}

TEST_F(SchedulerServer, EachViewGetsItsOwnRegistrationAndWinesComesBack) {
    const std::wstring wines64 = RegisteredServer(TRegistryView::Bits64);
    const std::wstring wines32 = RegisteredServer(TRegistryView::Bits32);
    ASSERT_EQ(CountRootTasks(), E_NOTIMPL);
    for (const TRegistryView view : {TRegistryView::Bits64, TRegistryView::Bits32}) {
        SCOPED_TRACE(view == TRegistryView::Bits64 ? "64-bit view" : "32-bit view");
        {
            const TFakeSchedulerRegistration registration(Server, view, kTasks);
            EXPECT_EQ(RegisteredServer(view), Server);
            // A 32-bit registration is not for this 64-bit process.
            EXPECT_EQ(CountRootTasks(), view == TRegistryView::Bits64 ? S_OK : E_NOTIMPL);
        }
        EXPECT_EQ(RegisteredServer(TRegistryView::Bits64), wines64);
        EXPECT_EQ(RegisteredServer(TRegistryView::Bits32), wines32);
        EXPECT_EQ(CountRootTasks(), E_NOTIMPL);
        EXPECT_FALSE(TReg::IsKey(HKEY_CURRENT_USER, test::kFakeSchedulerKey));
    }
}

// A test program that dies leaves its registration behind; the next one
// puts back the system's server all the same.
TEST_F(SchedulerServer, UndoesARegistrationThatWasLeftBehind) {
    const std::wstring wines = RegisteredServer(TRegistryView::Bits64);
    static_cast<void>(
        new TFakeSchedulerRegistration(Server, TRegistryView::Bits64, kTasks));  // never goes, as in a crash
    {
        const TFakeSchedulerRegistration registration(Server, TRegistryView::Bits64, kTasks);
        EXPECT_EQ(CountRootTasks(), S_OK);
    }
    EXPECT_EQ(RegisteredServer(TRegistryView::Bits64), wines);
    EXPECT_EQ(CountRootTasks(), E_NOTIMPL);
}

}  // namespace
}  // namespace quillon
