#include "autorun/task_scheduler.h"

#include "platform/app_error.h"
#include "platform/com_types.h"

#include <cwchar>

namespace quillon {

using Microsoft::WRL::ComPtr;

ComPtr<ITaskService> TaskService;

namespace {

// "Text (0x80070005): Access is denied." - the code stays even when the
// system has no message for it.
[[noreturn]] void RaiseComError(const wchar_t* Text, HRESULT Status) {
    wchar_t code[16]{};
    std::swprintf(code, 16, L"0x%08lX", static_cast<unsigned long>(Status));
    std::wstring message = std::wstring(Text) + L" (" + code + L")";

    wchar_t* system = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        static_cast<DWORD>(Status), 0, reinterpret_cast<wchar_t*>(&system), 0, nullptr);
    if (length > 0) {
        std::wstring detail(system, length);
        while (!detail.empty() && detail.back() <= L' ') detail.pop_back();
        message += L": " + detail;
    }
    ::LocalFree(system);
    throw TAppError(message);
}

// Both ways of creating end in asking the new object for ITaskService.
ComPtr<ITaskService> AsTaskService(HRESULT Created, const ComPtr<IUnknown>& Object) {
    if (FAILED(Created)) RaiseComError(L"The Task Scheduler cannot be created", Created);
    ComPtr<ITaskService> service;
    const HRESULT asked = Object.As(&service);
    if (FAILED(asked)) RaiseComError(L"The Task Scheduler offers no ITaskService", asked);
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
    const HRESULT status = Service->Connect(none.get(), none.get(), none.get(), none.get());
    if (FAILED(status)) RaiseComError(L"The Task Scheduler cannot be connected", status);
}

}  // namespace

ComPtr<ITaskService> CoTaskScheduler_::Create() {
    ComPtr<IUnknown> object;
    const HRESULT created = ::CoCreateInstance(CLSID_TaskScheduler, nullptr,
                                               CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                               reinterpret_cast<void**>(object.GetAddressOf()));
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

void OpenTaskService() { OpenTaskService(CoTaskScheduler_::Create); }

void OpenTaskService(const TTaskServiceCreator& Creator) {
    if (TaskService) return;
    // S_FALSE (COM already initialised on this thread) is success as well,
    // and it too must be matched by one CoUninitialize.
    if (FAILED(::CoInitialize(nullptr))) return;
    TComInitialisation com;
    if (!SetComSecurity()) return;

    TaskService = Creator();
    if (!TaskService) return;
    // From here the connection holds the initialisation: even when Connect
    // fails, CloseTaskService releases the object and then uninitialises.
    com.Keep();
    ConnectLocal(TaskService.Get());
}

void CloseTaskService() {
    if (!TaskService) return;
    // The object must go while its apartment still exists.
    TaskService.Reset();
    ::CoUninitialize();
}

}  // namespace quillon
