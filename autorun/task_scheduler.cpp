#include "autorun/task_scheduler.h"

#include "platform/com_types.h"
#include "platform/errors.h"

#include <utility>

namespace quillon {

using Microsoft::WRL::ComPtr;

namespace {

// Both ways of creating end in asking the new object for ITaskService.
ComPtr<ITaskService> AsTaskService(HRESULT Created, const ComPtr<IUnknown>& Object) {
    ThrowIfFailed(Created, L"The Task Scheduler cannot be created", L"CoCreateInstance");
    ComPtr<ITaskService> service;
    ThrowIfFailed(Object.As(&service), L"The Task Scheduler offers no ITaskService", L"QueryInterface");
    return service;
}

// Holds one CoInitialize of this thread until Keep() hands it on.
class TComInitialisation {
public:
    TComInitialisation() = default;
    ~TComInitialisation() {
        if (FHeld) ::CoUninitialize();
    }
    TComInitialisation(const TComInitialisation&) = delete;
    TComInitialisation& operator=(const TComInitialisation&) = delete;

    void Keep() noexcept { FHeld = false; }

private:
    bool FHeld = true;
};

// Packet-level authentication with impersonation, which the scheduler's
// service needs to act for the current user. Security can be set once per
// process: a program that already set it goes on with its own settings.
bool SetComSecurity() {
    const HRESULT status = ::CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT,
                                                  RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    return SUCCEEDED(status) || status == RPC_E_TOO_LATE;
}

// The local machine as the current user: every part left empty.
void ConnectLocal(ITaskService* Service) {
    const TVariant none;
    ThrowIfFailed(Service->Connect(none.get(), none.get(), none.get(), none.get()),
                  L"The Task Scheduler cannot be connected", L"ITaskService::Connect");
}

}  // namespace

ComPtr<ITaskService> CoTaskScheduler_::Create() {
    ComPtr<IUnknown> object;
    const HRESULT created = ::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                               IID_IUnknown, reinterpret_cast<void**>(object.GetAddressOf()));
    return AsTaskService(created, object);
}

ComPtr<ITaskService> CoTaskScheduler_::CreateRemote(const std::wstring& MachineName) {
    std::wstring name = MachineName;  // COSERVERINFO wants a writable text
    COSERVERINFO server{};
    server.pwszName = name.data();
    MULTI_QI asked{&IID_IUnknown, nullptr, S_OK};
    HRESULT created = ::CoCreateInstanceEx(CLSID_TaskScheduler, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER,
                                           &server, 1, &asked);
    // Takes over the reference the call handed back. (MinGW's
    // ComPtr::Attach would add one of its own.)
    ComPtr<IUnknown> object;
    *object.GetAddressOf() = asked.pItf;
    if (SUCCEEDED(created)) created = asked.hr;
    return AsTaskService(created, object);
}

TTaskServiceSession::TTaskServiceSession(TTaskServiceCreator Creator) : FCreator(std::move(Creator)) {}

void TTaskServiceSession::Open() {
    if (FTaskService) return;
    // S_FALSE (COM already initialised on this thread) is success as well,
    // and it too must be matched by one CoUninitialize.
    if (FAILED(::CoInitialize(nullptr))) return;
    TComInitialisation com;
    if (!SetComSecurity()) return;

    FTaskService = FCreator();
    if (!FTaskService) return;
    // From here the session holds the initialisation: even when Connect
    // fails, Close releases the object and then uninitialises.
    com.Keep();
    ConnectLocal(FTaskService.Get());
}

void TTaskServiceSession::Close() noexcept {
    if (!FTaskService) return;
    // The object must go while its apartment still exists.
    FTaskService.Reset();
    ::CoUninitialize();
}

}  // namespace quillon
