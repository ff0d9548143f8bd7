#include "autorun/switching.h"

#include "autorun/approved_state.h"
#include "autorun/run_keys.h"
#include "platform/errors.h"
#include "platform/com_types.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/unique_handle.h"
#include "platform/windows_version.h"

#include <shlobj.h>

#include <string_view>

namespace quillon {
namespace {

using Microsoft::WRL::ComPtr;

bool KeepsApprovedState(DWORD WindowsMajor) { return WindowsMajor >= 10; }

// Everything before the last "\" and everything after it.
struct TPathParts {
    std::wstring Folder;
    std::wstring Name;
};

TPathParts SplitPath(const std::wstring& Path) {
    const std::size_t slash = Path.rfind(L'\\');
    if (slash == std::wstring::npos) return {{}, Path};
    return {Path.substr(0, slash), Path.substr(slash + 1)};
}

// Deleting is for good, so it is kept to what a switch is for: a file
// directly in one of the start-up folders. The file system ignores case,
// and so does this test.
bool IsStartupFolderFile(const std::wstring& FullPathText) {
    const TPathParts parts = SplitPath(FullPathText);
    if (parts.Folder.empty() || parts.Name.empty()) return false;
    for (const int csidl : {CSIDL_COMMON_STARTUP, CSIDL_STARTUP}) {
        const std::wstring folder = GetSpecialFolder(csidl);
        if (!folder.empty() && EqualsIgnoringAsciiCase(parts.Folder, folder)) return true;
    }
    return false;
}

void DeleteStartupFile(const std::wstring& Path) {
    const std::wstring full = FullPath(Path);
    if (!IsStartupFolderFile(full)) return;
    if (::DeleteFileW(full.c_str())) return;
    // The user asked for the entry to go and it did not: that must be heard.
    RaiseLastError(Path, L"DeleteFileW");
}

// Only a value of one of the Run keys goes, never a key, and never a value
// of another key that a Target might name.
void DeleteRunValue(const std::wstring& Target) {
    if (const std::optional<TRunValue> value = ParseRunValueTarget(Target)) {
        TReg::DeleteValue(value->Root, value->Key, value->Name);
    }
}

HRESULT SetTaskEnabled(ITaskService* Service, const std::wstring& Path, bool Enable) {
    ComPtr<ITaskFolder> folder;
    HRESULT status = Service->GetFolder(MakeBstr(L"\\").get(), folder.GetAddressOf());
    if (FAILED(status)) return status;

    ComPtr<IRegisteredTask> task;
    status = folder->GetTask(MakeBstr(Path).get(), task.GetAddressOf());
    if (FAILED(status) || !task) return status;

    return task->put_Enabled(Enable ? VARIANT_TRUE : VARIANT_FALSE);
}

}  // namespace

TSwitchContext CurrentSwitchContext() {
    DWORD major = TrueWindowsMajorVersion();
    // A version the system will not tell takes the way that loses nothing.
    if (major == 0) major = 10;
    return {major, CoTaskScheduler_::Create};
}

void SetAutorunState(const std::wstring& Target, const std::wstring& From, bool Enable) {
    SetAutorunState(Target, From, Enable, CurrentSwitchContext());
}

void SetAutorunState(const std::wstring& Target, const std::wstring& From, bool Enable, const TSwitchContext& Context) {
    SetAutorunState(KindFromText(From), Target, Enable, Context);
}

void SetAutorunState(TAutorunKind Kind, const std::wstring& Target, bool Enable) {
    SetAutorunState(Kind, Target, Enable, CurrentSwitchContext());
}

void SetAutorunState(TAutorunKind Kind, const std::wstring& Target, bool Enable, const TSwitchContext& Context) {
    switch (Kind) {
    case TAutorunKind::StartupFile:
        SetStartupFileState(Target, Enable, Context.WindowsMajor);
        return;
    case TAutorunKind::Task:
        SetTaskState(Target, Enable, Context.TaskServiceCreator);
        return;
    case TAutorunKind::Service:
        SetServiceState(Target, Enable);
        return;
    case TAutorunKind::RunValue:
        SetRunValueState(Target, Enable, Context.WindowsMajor);
        return;
    }
}

void SetStartupFileState(const std::wstring& Path, bool Enable) {
    SetStartupFileState(Path, Enable, CurrentSwitchContext().WindowsMajor);
}

void SetStartupFileState(const std::wstring& Path, bool Enable, DWORD WindowsMajor) {
    if (!KeepsApprovedState(WindowsMajor)) {
        if (!Enable) DeleteStartupFile(Path);
        return;
    }
    const TPathParts parts = SplitPath(Path);
    if (parts.Name.empty()) return;
    // A file removed since the list showed it keeps no state: the value
    // would stay behind, and a later file of that name would inherit it.
    if (!PathExists(Path)) return;
    TReg::WriteBinary(ApprovedRootForStartupFolder(parts.Folder), kApprovedStartupFolderKey, parts.Name,
                      MakeApprovedValue(Enable));
}

void SetRunValueState(const std::wstring& Target, bool Enable) {
    SetRunValueState(Target, Enable, CurrentSwitchContext().WindowsMajor);
}

void SetRunValueState(const std::wstring& Target, bool Enable, DWORD WindowsMajor) {
    if (!KeepsApprovedState(WindowsMajor)) {
        if (!Enable) DeleteRunValue(Target);
        return;
    }
    // A value of a Run key is named by all that follows the key, "\" and
    // all; any other Target is split at its last "\".
    TRunValue value;
    if (std::optional<TRunValue> runValue = ParseRunValueTarget(Target)) {
        value = std::move(*runValue);
    } else if (!TReg::Parse(Target, value.Root, value.Key, value.Name)) {
        return;
    }
    // A value removed by another program since the list showed it keeps no
    // state: a stray value would switch off a later one of that name.
    if (!TReg::ValueExists(value.Root, value.Key, value.Name)) return;
    TReg::WriteBinary(value.Root, ApprovedKeyForRunKey(value.Key), value.Name, MakeApprovedValue(Enable));
}

void SetTaskState(const std::wstring& Target, bool Enable) { SetTaskState(Target, Enable, CoTaskScheduler_::Create); }

void SetTaskState(const std::wstring& Target, bool Enable, const TTaskServiceCreator& Creator) {
    TTaskServiceSession session(Creator);
    session.Open();
    if (!session) return;  // COM could not be prepared
    // A task that is gone or refuses the change is no error: the refresh
    // shows the task as it is.
    Absorb(SetTaskEnabled(session.TaskService(), Target, Enable));
}

void SetServiceState(const std::wstring& Target, bool Enable) {
    const UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return;
    const UniqueServiceHandle service(
        ::OpenServiceW(manager.get(), Target.c_str(), SERVICE_CHANGE_CONFIG | SERVICE_STOP));
    if (!service) return;
    // Only the start type: the service's current state is the user's
    // business, and a refused change shows in the refresh.
    Absorb(::ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, Enable ? SERVICE_AUTO_START : SERVICE_DISABLED,
                                  SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr));
}

}  // namespace quillon
