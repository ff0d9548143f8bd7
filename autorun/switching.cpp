#include "autorun/switching.h"

#include "autorun/approved_state.h"
#include "platform/app_error.h"
#include "platform/com_types.h"
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

// The Run keys whose values the inventory lists, as TReg::Parse gives the
// key part of a Target.
constexpr std::wstring_view kRunKeys[] = {
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
    L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
};

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

std::wstring SystemMessage(DWORD Code) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, Code,
        0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length > 0 ? Trim(std::wstring_view(text, length)) : std::wstring();
    ::LocalFree(text);
    return message.empty() ? L"System error " + std::to_wstring(Code) : message;
}

// "..\" and "/" are resolved first, so a path cannot lead out of a folder
// while its text seems to name a file inside it.
std::wstring FullPath(const std::wstring& Path) {
    std::wstring full(MAX_PATH, L'\0');
    DWORD length = ::GetFullPathNameW(Path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length);
        length = ::GetFullPathNameW(Path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    full.resize(length < full.size() ? length : 0);
    return full;
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
    throw TAppError(Path + L": " + SystemMessage(::GetLastError()));
}

bool IsRunKey(HKEY Root, std::wstring_view Key) {
    if (Root != HKEY_LOCAL_MACHINE && Root != HKEY_CURRENT_USER) return false;
    if (Key.starts_with(L'\\')) Key.remove_prefix(1);  // as TReg reads a key path
    for (const std::wstring_view runKey : kRunKeys) {
        if (EqualsIgnoringAsciiCase(Key, runKey)) return true;
    }
    return false;
}

// Only the value goes: a subkey of the same name, or a Target that names
// something other than a Run value, is left alone.
void DeleteRunValue(const std::wstring& Target) {
    HKEY root = nullptr;
    std::wstring key;
    std::wstring name;
    if (!TReg::Parse(Target, root, key, name) || !IsRunKey(root, key)) return;
    TReg::DeleteValue(root, key, name);
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

void SetAutorunState(const std::wstring& Target, const std::wstring& From, bool Enable,
                     const TSwitchContext& Context) {
    if (EqualsIgnoringAsciiCase(From, L"FILE")) {
        SetStartupFileState(Target, Enable, Context.WindowsMajor);
    } else if (EqualsIgnoringAsciiCase(From, L"SCHE")) {
        SetTaskState(Target, Enable, Context.TaskServiceCreator);
    } else if (EqualsIgnoringAsciiCase(From, L"SERV")) {
        SetServiceState(Target, Enable);
    } else {
        SetRunValueState(Target, Enable, Context.WindowsMajor);
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
    // Same test as the listing uses, so the state goes where it is read.
    const HKEY root = !parts.Folder.empty() && parts.Folder == GetSpecialFolder(CSIDL_COMMON_STARTUP)
                          ? HKEY_LOCAL_MACHINE
                          : HKEY_CURRENT_USER;
    TReg::WriteBinary(root, kApprovedStartupFolderKey, parts.Name, MakeApprovedValue(Enable));
}

void SetRunValueState(const std::wstring& Target, bool Enable) {
    SetRunValueState(Target, Enable, CurrentSwitchContext().WindowsMajor);
}

void SetRunValueState(const std::wstring& Target, bool Enable, DWORD WindowsMajor) {
    if (!KeepsApprovedState(WindowsMajor)) {
        if (!Enable) DeleteRunValue(Target);
        return;
    }
    HKEY root = nullptr;
    std::wstring key;
    std::wstring name;
    if (!TReg::Parse(Target, root, key, name)) return;
    const wchar_t* stateKey = ContainsIgnoringAsciiCase(key, L"Wow6432Node") ? kApprovedRun32Key : kApprovedRunKey;
    TReg::WriteBinary(root, stateKey, name, MakeApprovedValue(Enable));
}

void SetTaskState(const std::wstring& Target, bool Enable) { SetTaskState(Target, Enable, CoTaskScheduler_::Create); }

void SetTaskState(const std::wstring& Target, bool Enable, const TTaskServiceCreator& Creator) {
    const TTaskServiceCloser closer;
    OpenTaskService(Creator);
    if (!TaskService) return;  // COM could not be prepared
    // A task that is gone or refuses the change is no error: the refresh
    // shows the task as it is.
    (void)SetTaskEnabled(TaskService.Get(), Target, Enable);
}

void SetServiceState(const std::wstring& Target, bool Enable) {
    const UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) return;
    const UniqueServiceHandle service(
        ::OpenServiceW(manager.get(), Target.c_str(), SERVICE_CHANGE_CONFIG | SERVICE_STOP));
    if (!service) return;
    // Only the start type: the service's current state is the user's
    // business, and a refused change shows in the refresh.
    ::ChangeServiceConfigW(service.get(), SERVICE_NO_CHANGE, Enable ? SERVICE_AUTO_START : SERVICE_DISABLED,
                           SERVICE_NO_CHANGE, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

}  // namespace quillon
