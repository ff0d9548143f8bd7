#pragma once
// The connection to the Task Scheduler. It lives only while one task
// operation runs: the operation opens it, works through TaskService and
// closes it again, so COM is initialised on the calling thread only for
// that long.

#include <windows.h>
#include <taskschd.h>
#include <wrl/client.h>

#include <functional>
#include <string>

namespace quillon {

class CoTaskScheduler_ {
public:
    CoTaskScheduler_() = delete;

    // A new Task Scheduler object on this machine. Raises TAppError when it
    // cannot be created or does not offer ITaskService.
    static Microsoft::WRL::ComPtr<ITaskService> Create();
    // The same on the named machine.
    static Microsoft::WRL::ComPtr<ITaskService> CreateRemote(const std::wstring& MachineName);
};

// Makes the object that OpenTaskService connects; raises TAppError on failure.
using TTaskServiceCreator = std::function<Microsoft::WRL::ComPtr<ITaskService>()>;

// The open connection; empty when none is open. While it is set, this
// connection holds one COM initialisation of the thread that opened it.
extern Microsoft::WRL::ComPtr<ITaskService> TaskService;

// Initialises COM, sets the process's COM security and connects TaskService
// to the local machine as the current user. Does nothing when a connection
// is open. When COM cannot be prepared it returns with TaskService empty
// and COM as it was. Raises TAppError when the object cannot be created
// (TaskService stays empty) or connected (TaskService stays set, so that
// CloseTaskService releases it).
void OpenTaskService();
// The same with the object that Creator makes.
void OpenTaskService(const TTaskServiceCreator& Creator);

// Releases TaskService and undoes the COM initialisation of its open; does
// nothing when no connection is open.
void CloseTaskService();

// Closes the connection when the scope ends, however it ends. Declare it
// before OpenTaskService so that a connection that failed is closed too.
class TTaskServiceCloser {
public:
    TTaskServiceCloser() = default;
    ~TTaskServiceCloser() { CloseTaskService(); }
    TTaskServiceCloser(const TTaskServiceCloser&) = delete;
    TTaskServiceCloser& operator=(const TTaskServiceCloser&) = delete;
};

}  // namespace quillon
