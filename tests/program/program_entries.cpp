#include "tests/program/program_entries.h"

#include "autorun/approved_state.h"
#include "platform/native_path.h"
#include "platform/registry.h"
#include "platform/unique_handle.h"
#include "tests/support/shell_links.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <shlobj.h>

namespace quillon::test {
namespace {

struct TRunKeyPlace {
    HKEY Root;
    const wchar_t* Key;
    const wchar_t* ApprovedKey;
};

// Every path in the native registry view (the registry reader's view): the
// 32-bit key is named by its Wow6432Node path, as the program names it.
TRunKeyPlace PlaceOf(TRunKey Key) {
    switch (Key) {
    case TRunKey::Machine:
        return {HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", kApprovedRunKey};
    case TRunKey::Machine32:
        return {HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
                kApprovedRun32Key};
    case TRunKey::User:
        break;
    }
    return {HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", kApprovedRunKey};
}

std::wstring StartupFolder(bool Common) {
    const TStartupFolders folders;
    return Common ? folders.Common : folders.User;
}

}  // namespace

TProgramEntries::~TProgramEntries() {
    for (const auto& [key, name] : FRunValues) {
        const TRunKeyPlace place = PlaceOf(key);
        TReg::DeleteValue(place.Root, place.Key, name);
        TReg::DeleteValue(place.Root, place.ApprovedKey, name);
    }
    for (const auto& [common, name] : FStartupFiles) {
        TReg::DeleteValue(common ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, kApprovedStartupFolderKey, name);
    }
    for (const std::wstring& file : FFiles) {
        ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(file.c_str());
    }
    for (const std::wstring& folder : FFolders) ::RemoveDirectoryW(folder.c_str());
    const UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    for (const std::wstring& name : FServices) {
        const UniqueServiceHandle service(::OpenServiceW(manager.get(), name.c_str(), DELETE));
        if (service) ::DeleteService(service.get());
    }
}

std::wstring TProgramEntries::Tagged(const std::wstring& Name) {
    return Name + std::to_wstring(::GetCurrentProcessId());
}

std::wstring TProgramEntries::RunValue(TRunKey Key, const std::wstring& Name, const std::wstring& Command) {
    const TRunKeyPlace place = PlaceOf(Key);
    FRunValues.emplace_back(Key, Name);
    TReg::WriteString(place.Root, place.Key, Name, Command);
    return Name;
}

std::wstring TProgramEntries::StartupFile(bool Common, const std::wstring& FileName, const std::string& Bytes) {
    const std::wstring path = StartupFolder(Common) + L"\\" + FileName;
    FStartupFiles.emplace_back(Common, FileName);
    FFiles.push_back(path);
    WriteBytes(path, Bytes);
    return path;
}

std::wstring TProgramEntries::StartupShortcut(bool Common, const std::wstring& FileName, const std::wstring& Target) {
    const std::wstring path = StartupFolder(Common) + L"\\" + FileName;
    FStartupFiles.emplace_back(Common, FileName);
    FFiles.push_back(path);
    // Written byte by byte: the shell's link object would look the target
    // up through this process's view of the disk, which may not see it.
    WriteBytes(path, ShellLinkBytesWithRawTarget(std::string(Target.begin(), Target.end())));
    return path;
}

bool TProgramEntries::Service(const std::wstring& Name, const std::wstring& DisplayName, DWORD StartType,
                              const std::wstring& Command) {
    const UniqueServiceHandle manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
    const UniqueServiceHandle service(::CreateServiceW(
        manager.get(), Name.c_str(), DisplayName.c_str(), SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS, StartType,
        SERVICE_ERROR_IGNORE, Command.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    if (service) FServices.push_back(Name);
    return static_cast<bool>(service);
}

std::wstring TProgramEntries::NativeSystemFile(const std::wstring& FileName, const std::wstring& Source) {
    wchar_t folder[MAX_PATH] = {};
    const std::wstring system(folder, ::GetSystemDirectoryW(folder, MAX_PATH));
    const std::wstring named = system + L"\\" + FileName;
    // A 32-bit process writes to the native folder through its alias.
    const std::wstring native = NativeFilePath(named);
    if (!::CopyFileW(Source.c_str(), native.c_str(), FALSE)) ADD_FAILURE() << "cannot place " << native.size();
    FFiles.push_back(native);
    return named;
}

std::wstring TProgramEntries::NativeProgramFile(const std::wstring& Folder, const std::wstring& FileName,
                                                const std::wstring& Source) {
    // The program files folder is not redirected for a 32-bit process; only
    // its own %ProgramFiles% names another folder.
    const std::wstring folder = ExpandNativeEnvironment(L"%ProgramFiles%") + L"\\" + Folder;
    if (::CreateDirectoryW(folder.c_str(), nullptr)) FFolders.push_back(folder);
    const std::wstring file = folder + L"\\" + FileName;
    if (!::CopyFileW(Source.c_str(), file.c_str(), FALSE)) ADD_FAILURE() << "cannot place the program";
    FFiles.push_back(file);
    return L"%ProgramFiles%\\" + Folder + L"\\" + FileName;
}

std::vector<unsigned char> TProgramEntries::Approved(HKEY Root, const wchar_t* Key, const std::wstring& Name) {
    const TBytes bytes = TReg::ReadBinary(Root, Key, Name);
    return {bytes.begin(), bytes.end()};
}

DWORD TProgramEntries::StartType(const std::wstring& Service) {
    // The service manager's own record, as the program reads it.
    return static_cast<DWORD>(
        TReg::ReadInteger(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Services\\" + Service, L"Start", 0));
}

}  // namespace quillon::test
