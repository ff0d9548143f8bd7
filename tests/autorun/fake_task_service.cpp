#include "tests/autorun/fake_task_service.h"

#include <atomic>
#include <utility>

#include "platform/com_types.h"

namespace quillon {
namespace {

// Owned schedulers of the whole process: they may live on several threads.
std::atomic<int> ownedSchedulers = 0;

std::wstring Describe(const VARIANT& Value) {
    if (Value.vt == VT_EMPTY) return L"empty";
    if (Value.vt == VT_I4) return L"VT_I4 " + std::to_wstring(Value.lVal);
    return L"vt " + std::to_wstring(Value.vt);
}

template <typename T>
HRESULT Hand(T* Made, T** Out) {
    *Out = Made;
    return S_OK;
}

// COM interfaces have no virtual destructor: an object deletes itself in
// Release and is never deleted through an interface pointer.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"

// Reference counting, IUnknown and IDispatch for one fake interface.
template <typename Interface>
class TFakeObject : public Interface {
public:
    explicit TFakeObject(TFakeScheduler& Scheduler) : FScheduler(Scheduler) { FScheduler.ObjectMade(); }
    virtual ~TFakeObject() { FScheduler.ObjectGone(); }
    TFakeObject(const TFakeObject&) = delete;
    TFakeObject& operator=(const TFakeObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) override {
        if (!Object) return E_POINTER;
        *Object = nullptr;
        if (Iid != __uuidof(IUnknown) && Iid != __uuidof(IDispatch) && Iid != __uuidof(Interface)) {
            return E_NOINTERFACE;
        }
        *Object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++FReferences; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --FReferences;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

protected:
    TFakeScheduler& FScheduler;

private:
    ULONG FReferences = 1;
};

class TFakeRegisteredTask final : public TFakeObject<IRegisteredTask> {
public:
    TFakeRegisteredTask(TFakeScheduler& Scheduler, TFakeTask Task) : TFakeObject(Scheduler), FTask(std::move(Task)) {}

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* Name) override {
        const HRESULT status = FScheduler.Record(L"get_Name " + FTask.Name);
        if (FAILED(status)) return status;
        *Name = MakeBstr(FTask.Name).release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* Enabled) override {
        const HRESULT status = FScheduler.Record(L"get_Enabled " + FTask.Name);
        if (FAILED(status)) return status;
        *Enabled = FTask.Enabled ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE get_Path(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_State(TASK_STATE*) override { return E_NOTIMPL; }
    // Changes the scheduler's task, so a later GetTask or listing sees it.
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL Enabled) override {
        const HRESULT status =
            FScheduler.Record(L"put_Enabled(" + FTask.Name + L", " + std::to_wstring(Enabled) + L")");
        if (FAILED(status)) return status;
        TFakeTask* stored = FScheduler.Find(L"\\" + FTask.Name);
        if (!stored) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        stored->Enabled = Enabled != VARIANT_FALSE;
        FTask.Enabled = stored->Enabled;
        if (FScheduler.OnTaskChanged) FScheduler.OnTaskChanged(*stored);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Run(VARIANT, IRunningTask**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RunEx(VARIANT, LONG, LONG, BSTR, IRunningTask**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetInstances(LONG, IRunningTaskCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_LastRunTime(DATE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_LastTaskResult(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_NumberOfMissedRuns(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_NextRunTime(DATE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Definition(ITaskDefinition**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Xml(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSecurityDescriptor(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSecurityDescriptor(BSTR, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stop(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRunTimes(const LPSYSTEMTIME, const LPSYSTEMTIME, DWORD*, LPSYSTEMTIME*) override {
        return E_NOTIMPL;
    }

private:
    TFakeTask FTask;
};

class TFakeTaskCollection final : public TFakeObject<IRegisteredTaskCollection> {
public:
    TFakeTaskCollection(TFakeScheduler& Scheduler, std::vector<TFakeTask> Tasks)
        : TFakeObject(Scheduler), FTasks(std::move(Tasks)) {}

    HRESULT STDMETHODCALLTYPE get_Count(LONG* Count) override {
        const HRESULT status = FScheduler.Record(L"get_Count");
        if (FAILED(status)) return status;
        *Count = static_cast<LONG>(FTasks.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT Index, IRegisteredTask** Task) override {
        const HRESULT status = FScheduler.Record(L"get_Item(" + Describe(Index) + L")");
        if (FAILED(status)) return status;
        if (Index.vt != VT_I4 || Index.lVal < 1 || Index.lVal > static_cast<LONG>(FTasks.size())) {
            return E_INVALIDARG;
        }
        return Hand<IRegisteredTask>(new TFakeRegisteredTask(FScheduler, FTasks[Index.lVal - 1]), Task);
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }

private:
    std::vector<TFakeTask> FTasks;
};

class TFakeFolder final : public TFakeObject<ITaskFolder> {
public:
    using TFakeObject::TFakeObject;

    HRESULT STDMETHODCALLTYPE GetTasks(LONG Flags, IRegisteredTaskCollection** Tasks) override {
        const HRESULT status = FScheduler.Record(L"GetTasks(" + std::to_wstring(Flags) + L")");
        if (FAILED(status)) return status;
        std::vector<TFakeTask> listed;
        for (const TFakeTask& task : FScheduler.Tasks) {
            if (!task.Hidden || (Flags & TASK_ENUM_HIDDEN)) listed.push_back(task);
        }
        return Hand<IRegisteredTaskCollection>(new TFakeTaskCollection(FScheduler, std::move(listed)), Tasks);
    }

    HRESULT STDMETHODCALLTYPE get_Name(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Path(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFolder(BSTR, ITaskFolder**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFolders(LONG, ITaskFolderCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateFolder(BSTR, VARIANT, ITaskFolder**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DeleteFolder(BSTR, LONG) override { return E_NOTIMPL; }
    // Any task of the scheduler, hidden ones too, by "\" and its name.
    HRESULT STDMETHODCALLTYPE GetTask(BSTR Path, IRegisteredTask** Task) override {
        *Task = nullptr;
        const HRESULT status = FScheduler.Record(L"GetTask(" + BstrText(Path) + L")");
        if (FAILED(status)) return status;
        const TFakeTask* found = FScheduler.Find(BstrText(Path));
        if (!found) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);  // what the scheduler answers
        return Hand<IRegisteredTask>(new TFakeRegisteredTask(FScheduler, *found), Task);
    }
    HRESULT STDMETHODCALLTYPE DeleteTask(BSTR, LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterTask(BSTR, BSTR, LONG, VARIANT, VARIANT, TASK_LOGON_TYPE, VARIANT,
                                           IRegisteredTask**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE RegisterTaskDefinition(BSTR, ITaskDefinition*, LONG, VARIANT, VARIANT, TASK_LOGON_TYPE,
                                                     VARIANT, IRegisteredTask**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetSecurityDescriptor(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSecurityDescriptor(BSTR, LONG) override { return E_NOTIMPL; }
};

class TFakeService final : public TFakeObject<ITaskService> {
public:
    using TFakeObject::TFakeObject;

    HRESULT STDMETHODCALLTYPE Connect(VARIANT Server, VARIANT User, VARIANT Domain, VARIANT Password) override {
        FScheduler.Log(L"Connect(" + Describe(Server) + L", " + Describe(User) + L", " + Describe(Domain) + L", " +
                       Describe(Password) + L")");
        return FScheduler.ConnectResult;
    }
    HRESULT STDMETHODCALLTYPE GetFolder(BSTR Path, ITaskFolder** Folder) override {
        const HRESULT status = FScheduler.Record(L"GetFolder(" + BstrText(Path) + L")");
        if (FAILED(status)) return status;
        return Hand<ITaskFolder>(new TFakeFolder(FScheduler), Folder);
    }

    HRESULT STDMETHODCALLTYPE GetRunningTasks(LONG, IRunningTaskCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NewTask(DWORD, ITaskDefinition**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Connected(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_TargetServer(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ConnectedUser(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ConnectedDomain(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_HighestVersion(DWORD*) override { return E_NOTIMPL; }
};

}  // namespace

Microsoft::WRL::ComPtr<ITaskService> TFakeScheduler::NewService() {
    ++Created;
    // The new object's first reference goes to the pointer as it is.
    // (MinGW's ComPtr::Attach would add one of its own.)
    Microsoft::WRL::ComPtr<ITaskService> service;
    *service.GetAddressOf() = new TFakeService(*this);
    return service;
}

Microsoft::WRL::ComPtr<ITaskService> TFakeScheduler::NewOwnedService(std::unique_ptr<TFakeScheduler> Scheduler) {
    Scheduler->FOwnedByObjects = true;
    ++ownedSchedulers;
    // From here the service object holds the scheduler.
    return Scheduler.release()->NewService();
}

int TFakeScheduler::OwnedSchedulers() { return ownedSchedulers; }

void TFakeScheduler::ObjectGone() {
    if (--LiveObjects > 0 || !FOwnedByObjects) return;
    delete this;
    --ownedSchedulers;
}

TFakeTask* TFakeScheduler::Find(const std::wstring& Path) {
    for (TFakeTask& task : Tasks) {
        // Task names, like file names, ignore case.
        if (::CompareStringOrdinal(Path.c_str(), -1, (L"\\" + task.Name).c_str(), -1, TRUE) == CSTR_EQUAL) {
            return &task;
        }
    }
    return nullptr;
}

HRESULT TFakeScheduler::Record(std::wstring Call) {
    const bool fails = Call == FailingCall;
    Log(std::move(Call));
    return fails ? E_FAIL : S_OK;
}

void TFakeScheduler::Log(std::wstring Call) {
    if (OnCall) OnCall(Call);
    Calls.push_back(std::move(Call));
}

}  // namespace quillon
