#pragma once
// The connection to the Task Scheduler. It lives only while one task
// operation runs: the operation opens a session, works through its
// TaskService and lets the session close, so COM is initialised on the
// calling thread only for that long, and two threads never share one.

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

// Makes the object that a session connects; raises TAppError on failure.
using TTaskServiceCreator = std::function<Microsoft::WRL::ComPtr<ITaskService>()>;

// One connection for the span of one operation, on the thread that opens
// it. While it is open it holds one COM initialisation of that thread and
// the connected service; Close, or the end of the session's scope, gives
// both back, also when opening failed half way.
class TTaskServiceSession {
public:
    explicit TTaskServiceSession(TTaskServiceCreator Creator = CoTaskScheduler_::Create);
    ~TTaskServiceSession() { Close(); }
    TTaskServiceSession(const TTaskServiceSession&) = delete;
    TTaskServiceSession& operator=(const TTaskServiceSession&) = delete;

    // Initialises COM, sets the process's COM security and connects to the
    // local machine as the current user. Does nothing when already open.
    // When COM cannot be prepared it returns with no service and COM as it
    // was. Raises TAppError when the object cannot be created (no service
    // is kept) or connected (the service is kept, so Close releases it).
    void Open();
    // Releases the service and undoes the COM initialisation of Open; does
    // nothing when no service is held, so a second Close changes nothing.
    void Close() noexcept;

    // The connected service; null when none is held.
    [[nodiscard]] ITaskService* TaskService() const noexcept { return FTaskService.Get(); }
    explicit operator bool() const noexcept { return static_cast<bool>(FTaskService); }

private:
    TTaskServiceCreator FCreator;
    Microsoft::WRL::ComPtr<ITaskService> FTaskService;
};

}  // namespace quillon
