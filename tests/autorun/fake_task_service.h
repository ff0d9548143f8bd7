#pragma once
// A Task Scheduler in memory behind the real COM interfaces, for what Wine
// cannot produce: a task collection that enumerates, a refused connection,
// a call that fails in the middle of a listing, an enabled flag that
// put_Enabled really changes. Every call is logged with what it was passed;
// methods the program never calls return E_NOTIMPL. A service and the
// objects it hands out serve one thread at a time, as the program's sessions
// use them.

#include <windows.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillon {

struct TFakeTask {
    std::wstring Name;
    bool Enabled = true;
    bool Hidden = false;
};

class TFakeScheduler {
public:
    // The tasks of every folder, in the order the collection gives them.
    std::vector<TFakeTask> Tasks;
    // What Connect returns.
    HRESULT ConnectResult = S_OK;
    // The logged call that returns E_FAIL instead of doing its work.
    std::wstring FailingCall;

    // "Connect(empty, empty, empty, empty)", "GetFolder(\)", "GetTasks(0)",
    // "get_Count", "get_Item(VT_I4 1)", "get_Name Backup", "get_Enabled Backup",
    // "GetTask(\Backup)", "put_Enabled(Backup, -1)".
    std::vector<std::wstring> Calls;
    // Fake objects made and not yet released.
    int LiveObjects = 0;
    // ITaskService objects made by NewService.
    int Created = 0;

    // For a scheduler whose state is kept outside it (the fake COM server
    // keeps it in the registry): told of every call as it is logged, and of
    // every task that put_Enabled changed, after the change.
    std::function<void(const std::wstring& Call)> OnCall;
    std::function<void(const TFakeTask& Task)> OnTaskChanged;

    // A new, unconnected service object over this scheduler.
    Microsoft::WRL::ComPtr<ITaskService> NewService();
    // The same over a scheduler that the objects made from it own: it goes
    // when the last of them is released.
    static Microsoft::WRL::ComPtr<ITaskService> NewOwnedService(std::unique_ptr<TFakeScheduler> Scheduler);
    // Owned schedulers not yet gone, which keep a server's module loaded.
    static int OwnedSchedulers();

    // The task whose path ("\" and its name) is Path, case ignored; null
    // when there is none.
    TFakeTask* Find(const std::wstring& Path);

    // Logs Call; E_FAIL when it is the failing call, S_OK otherwise.
    HRESULT Record(std::wstring Call);
    // Logs Call, whatever it is.
    void Log(std::wstring Call);

    // Kept by the fake objects as they are made and released. The release of
    // the last object of an owned scheduler deletes the scheduler.
    void ObjectMade() { ++LiveObjects; }
    void ObjectGone();

private:
    bool FOwnedByObjects = false;
};

}  // namespace quillon
