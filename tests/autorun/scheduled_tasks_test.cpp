// The scheduled-task source. The listing rules run against an in-memory
// scheduler behind the real COM interfaces (Wine's task collection cannot
// enumerate); the connection and its COM bookkeeping run against Wine's own
// Task Scheduler wherever it can.

#include "autorun/scheduled_tasks.h"
#include "autorun/task_scheduler.h"
#include "platform/errors.h"
#include "tests/support/com_thread.h"
#include "platform/com_types.h"
#include "tests/autorun/fake_task_service.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace quillon {
namespace {

using Microsoft::WRL::ComPtr;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

using test::ExpectComBalanced;
using test::OnNewThread;

auto Fields(const TAutorunInfo& Entry) {
    return std::tuple(Entry.FileName, Entry.Caption, Entry.RawData, Entry.Target, Entry.From, Entry.Enabled);
}

TAutorunInfo TaskEntry(const std::wstring& Name, const std::wstring& Target, bool Enabled) {
    TAutorunInfo entry;
    entry.Caption = Name;
    entry.Target = Target;
    entry.From = L"SCHE";
    entry.Enabled = Enabled;
    return entry;
}

std::vector<std::wstring> Captions(const TAutorunList& List) {
    std::vector<std::wstring> captions;
    for (const TAutorunInfo& entry : List) captions.push_back(entry.Caption);
    return captions;
}

// What an earlier source put in the list; the task source only appends.
TAutorunList ListWithEarlierEntry() {
    TAutorunList list(1);
    list[0].Caption = L"earlier";
    return list;
}

class ScheduledTasksFake : public ::testing::Test {
protected:
    TFakeScheduler Scheduler;
    TTaskServiceCreator Creator = [this] { return Scheduler.NewService(); };
};

TEST_F(ScheduledTasksFake, ListsVisibleRootTasksWithTheirEnabledFlag) {
    Scheduler.Tasks = {{L"Backup", true, false}, {L"Secret", true, true}, {L"Cleanup", false, false}};
    TAutorunList list = ListWithEarlierEntry();

    OnNewThread([&] { CollectScheduledTasks(list, Creator); });

    // Flags 0 is what keeps the hidden task out.
    EXPECT_THAT(Scheduler.Calls,
                ElementsAre(L"Connect(empty, empty, empty, empty)", L"GetFolder(\\)", L"GetTasks(0)", L"get_Count",
                            L"get_Item(VT_I4 1)", L"get_Name Backup", L"get_Enabled Backup", L"get_Item(VT_I4 2)",
                            L"get_Name Cleanup", L"get_Enabled Cleanup"));
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].Caption, L"earlier");
    EXPECT_EQ(Fields(list[1]), Fields(TaskEntry(L"Backup", L"\\Backup", true)));
    EXPECT_EQ(Fields(list[2]), Fields(TaskEntry(L"Cleanup", L"\\Cleanup", false)));
    EXPECT_EQ(Scheduler.LiveObjects, 0);
}

TEST_F(ScheduledTasksFake, TargetJoinsFolderPathAndTaskName) {
    Scheduler.Tasks = {{L"Backup", true, false}};
    const struct {
        std::wstring FolderPath;
        std::wstring Target;
    } cases[] = {
        {L"\\", L"\\Backup"},
        {L"\\Vendor", L"\\Vendor\\Backup"},
        {L"\\Vendor\\", L"\\Vendor\\Backup"},
    };
    for (const auto& testCase : cases) {
        Scheduler.Calls.clear();
        TAutorunList list;
        EXPECT_EQ(CollectTaskFolder(Scheduler.NewService().Get(), testCase.FolderPath, list), S_OK);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].Target, testCase.Target);
        ASSERT_FALSE(Scheduler.Calls.empty());
        EXPECT_EQ(Scheduler.Calls[0], L"GetFolder(" + testCase.FolderPath + L")");
    }
    EXPECT_EQ(Scheduler.LiveObjects, 0);
}

TEST_F(ScheduledTasksFake, FailingCallEndsTheListingQuietlyKeepingEarlierTasks) {
    Scheduler.Tasks = {{L"A", true, false}, {L"B", true, false}, {L"C", true, false}};
    const struct {
        std::wstring FailingCall;
        std::vector<std::wstring> Captions;
    } cases[] = {
        {L"GetFolder(\\)", {L"earlier"}},
        {L"GetTasks(0)", {L"earlier"}},
        {L"get_Count", {L"earlier"}},
        {L"get_Item(VT_I4 1)", {L"earlier"}},
        {L"get_Name B", {L"earlier", L"A"}},
        {L"get_Enabled B", {L"earlier", L"A"}},
        {L"get_Item(VT_I4 3)", {L"earlier", L"A", L"B"}},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testing::PrintToString(testCase.FailingCall));
        Scheduler.FailingCall = testCase.FailingCall;
        Scheduler.Calls.clear();
        TAutorunList list = ListWithEarlierEntry();

        OnNewThread([&] {
            EXPECT_NO_THROW(CollectScheduledTasks(list, Creator));
            ExpectComBalanced(0);
        });

        EXPECT_THAT(Captions(list), ElementsAreArray(testCase.Captions));
        EXPECT_EQ(Scheduler.Calls.back(), testCase.FailingCall) << "listing went on after the failure";
        EXPECT_EQ(Scheduler.LiveObjects, 0);
    }
}

TEST_F(ScheduledTasksFake, RefusedCreationOrConnectionRaisesAfterClosing) {
    Scheduler.Tasks = {{L"Backup", true, false}};
    const struct {
        const char* What;
        HRESULT ConnectResult;
        bool CreationFails;
        bool Raises;
    } cases[] = {
        {"listing", S_OK, false, false},
        {"Connect refused", SCHED_E_SERVICE_NOT_RUNNING, false, true},
        {"creation fails", S_OK, true, true},
    };
    for (const auto& testCase : cases) {
        // COM initialised by the caller already (as in the program's user
        // interface thread) or not at all.
        for (const int own : {0, 1}) {
            SCOPED_TRACE(std::string(testCase.What) + ", caller's initialisations " + std::to_string(own));
            Scheduler.ConnectResult = testCase.ConnectResult;
            const TTaskServiceCreator creator = [&]() -> ComPtr<ITaskService> {
                if (testCase.CreationFails) throw TAppError(L"The Task Scheduler cannot be created");
                return Scheduler.NewService();
            };
            TAutorunList list = ListWithEarlierEntry();

            OnNewThread([&] {
                if (own == 1) {
                    ASSERT_EQ(::CoInitialize(nullptr), S_OK);
                }
                if (testCase.Raises) {
                    EXPECT_THROW(CollectScheduledTasks(list, creator), TAppError);
                } else {
                    EXPECT_NO_THROW(CollectScheduledTasks(list, creator));
                }
                ExpectComBalanced(own);
            });

            EXPECT_EQ(list.size(), testCase.Raises ? 1u : 2u);
            EXPECT_EQ(Scheduler.LiveObjects, 0) << "the connection was not released";
        }
    }
}

TEST_F(ScheduledTasksFake, OpenWhileOpenChangesNothingAndCloseTwiceUninitialisesOnce) {
    OnNewThread([&] {
        ASSERT_EQ(::CoInitialize(nullptr), S_OK);
        {
            TTaskServiceSession session(Creator);  // closes also when an assertion ends the case early
            session.Open();
            ASSERT_TRUE(session);
            ITaskService* const opened = session.TaskService();

            session.Open();
            EXPECT_EQ(session.TaskService(), opened);
            EXPECT_EQ(Scheduler.Created, 1);
            EXPECT_THAT(Scheduler.Calls, ElementsAre(L"Connect(empty, empty, empty, empty)"));

            session.Close();
            EXPECT_FALSE(session);
            EXPECT_EQ(Scheduler.LiveObjects, 0);
            session.Close();
        }
        ExpectComBalanced(1);
    });
}

// A task registered in Wine's root folder for one test, removed again however
// the test ends.
class TRegisteredTask {
public:
    TRegisteredTask(ITaskService* Service, const std::wstring& Name) : FName(Name) {
        if (FAILED(Service->GetFolder(MakeBstr(L"\\").get(), FRoot.GetAddressOf()))) return;
        ComPtr<ITaskDefinition> definition;
        if (FAILED(Service->NewTask(0, definition.GetAddressOf()))) return;
        const TVariant none;
        ComPtr<IRegisteredTask> task;
        FRegistered = SUCCEEDED(FRoot->RegisterTaskDefinition(MakeBstr(Name).get(), definition.Get(),
                                                              TASK_CREATE_OR_UPDATE, none.get(), none.get(),
                                                              TASK_LOGON_INTERACTIVE_TOKEN, none.get(), &task));
    }
    ~TRegisteredTask() {
        if (FRegistered) FRoot->DeleteTask(MakeBstr(FName).get(), 0);
    }
    TRegisteredTask(const TRegisteredTask&) = delete;
    TRegisteredTask& operator=(const TRegisteredTask&) = delete;

    bool Registered() const { return FRegistered; }
    ITaskFolder* Root() const { return FRoot.Get(); }

private:
    std::wstring FName;
    ComPtr<ITaskFolder> FRoot;
    bool FRegistered = false;
};

TEST(ScheduledTasksWine, OpensAConnectedServiceAndClosesIt) {
    OnNewThread([] {
        {
            TTaskServiceSession session;  // closes also when an assertion ends the case early
            ASSERT_NO_THROW(session.Open());
            ASSERT_TRUE(session);
            VARIANT_BOOL connected = VARIANT_FALSE;
            EXPECT_EQ(session.TaskService()->get_Connected(&connected), S_OK);
            EXPECT_EQ(connected, VARIANT_TRUE);
            session.Close();
            EXPECT_FALSE(session);
        }
        ExpectComBalanced(0);
    });
}

// Wine's task collection counts nothing (get_Count is E_NOTIMPL, and so is
// get_Item), so the real listing ends right after GetTasks, even with a
// task in the root folder.
TEST(ScheduledTasksWine, ListingEndsQuietlyWhereWinesCollectionStops) {
    const std::wstring name = L"QuillonTest" + std::to_wstring(::GetCurrentProcessId());
    OnNewThread([&] {
        ASSERT_EQ(::CoInitialize(nullptr), S_OK);
        {
            const ComPtr<ITaskService> service = CoTaskScheduler_::Create();
            const TVariant none;
            ASSERT_EQ(service->Connect(none.get(), none.get(), none.get(), none.get()), S_OK);
            const TRegisteredTask task(service.Get(), name);
            ASSERT_TRUE(task.Registered());
            ComPtr<IRegisteredTask> found;
            ASSERT_EQ(task.Root()->GetTask(MakeBstr(name).get(), found.GetAddressOf()), S_OK);
            UniqueBstr foundName;
            ASSERT_EQ(found->get_Name(foundName.put()), S_OK);
            EXPECT_EQ(BstrText(foundName.get()), name);

            ComPtr<IRegisteredTaskCollection> tasks;
            ASSERT_EQ(task.Root()->GetTasks(0, tasks.GetAddressOf()), S_OK);
            LONG count = -1;
            EXPECT_EQ(tasks->get_Count(&count), E_NOTIMPL);
            EXPECT_EQ(tasks->get_Item(TVariant(1).get(), found.ReleaseAndGetAddressOf()), E_NOTIMPL);

            TAutorunList list;
            EXPECT_EQ(CollectTaskFolder(service.Get(), L"\\", list), E_NOTIMPL);
            EXPECT_TRUE(list.empty());

            // The whole source, on its own connection, while the task exists.
            TAutorunList collected = ListWithEarlierEntry();
            EXPECT_NO_THROW(CollectScheduledTasks(collected));
            EXPECT_THAT(Captions(collected), ElementsAre(L"earlier"));
        }
        ExpectComBalanced(1);
    });
}

TEST(ScheduledTasksWine, CreationFailuresRaise) {
    OnNewThread([] {
        // Without COM on the thread the object cannot be made.
        EXPECT_THROW(CoTaskScheduler_::Create(), TAppError);

        // Wine has no out-of-process server for the class, so asking for it
        // by machine name fails even for this machine.
        ASSERT_EQ(::CoInitialize(nullptr), S_OK);
        wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1]{};
        DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
        ASSERT_TRUE(::GetComputerNameW(computer, &size));
        EXPECT_THROW(CoTaskScheduler_::CreateRemote(computer), TAppError);
        ::CoUninitialize();
    });
}

}  // namespace
}  // namespace quillon
