#include "platform/files.h"

#include "platform/errors.h"
#include "platform/scope_exit.h"
#include "platform/unique_handle.h"

#include <windows.h>

#include <algorithm>

namespace quillon {

bool FileExists(const std::wstring& Path) {
    const DWORD attributes = ::GetFileAttributesW(Path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
    // A link: opening it opens what it leads to.
    UniqueFileHandle target(::CreateFileW(Path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!target || !::GetFileInformationByHandle(target.get(), &info)) return false;
    return !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathExists(const std::wstring& Path) { return ::GetFileAttributesW(Path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool FolderExists(const std::wstring& Path) {
    const DWORD attributes = ::GetFileAttributesW(Path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadWholeFile(HANDLE File, std::string& Bytes) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(File, &size) || size.QuadPart < 0) return false;
    Bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < Bytes.size()) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(Bytes.size() - done, 1u << 20));
        if (!::ReadFile(File, Bytes.data() + done, want, &read, nullptr) || read == 0) return false;
        done += read;
    }
    return true;
}

bool WriteAll(HANDLE File, std::string_view Bytes) {
    while (!Bytes.empty()) {
        DWORD written = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(Bytes.size(), 1u << 20));
        if (!::WriteFile(File, Bytes.data(), want, &written, nullptr) || written == 0) return false;
        Bytes.remove_prefix(written);
    }
    return true;
}

std::wstring FullPath(const std::wstring& Path) {
    return ReadGrowingText([&Path](wchar_t* Buffer, std::size_t Capacity) -> std::size_t {
        return ::GetFullPathNameW(Path.c_str(), static_cast<DWORD>(Capacity), Buffer, nullptr);
    });
}

void WriteFileReplacing(const std::wstring& Path, std::string_view Bytes) {
    const std::wstring full = FullPath(Path);
    const std::size_t slash = full.rfind(L'\\');
    if (full.empty() || slash == std::wstring::npos) RaiseWin32Error(Path, ERROR_INVALID_NAME, L"GetFullPathNameW");
    // A file marked read-only stays as it is, as writing to it would; not
    // every system's move refuses to replace one.
    const DWORD attributes = ::GetFileAttributesW(full.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        RaiseWin32Error(Path, ERROR_ACCESS_DENIED, L"GetFileAttributesW");
    }
    // A name of the system's choosing beside the target: the final move
    // then stays on one volume, where it is a single step.
    wchar_t temporary[MAX_PATH + 1] = {};
    if (!::GetTempFileNameW(full.substr(0, slash + 1).c_str(), L"qln", 0, temporary)) {
        RaiseLastError(Path, L"GetTempFileNameW");
    }
    auto leftover = ScopeExit([&temporary] { ::DeleteFileW(temporary); });
    {
        const UniqueFileHandle file(
            ::CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) RaiseLastError(Path, L"CreateFileW");
        if (!WriteAll(file.get(), Bytes)) RaiseLastError(Path, L"WriteFile");
        if (!::FlushFileBuffers(file.get())) RaiseLastError(Path, L"FlushFileBuffers");
    }
    if (!::MoveFileExW(temporary, full.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        RaiseLastError(Path, L"MoveFileExW");
    }
    leftover.Release();
}

std::wstring ModulePath() {
    return ReadGrowingText([](wchar_t* Buffer, std::size_t Capacity) -> std::size_t {
        // A path cut short fills the whole buffer: ask again with more room.
        return ::GetModuleFileNameW(nullptr, Buffer, static_cast<DWORD>(Capacity));
    });
}

}  // namespace quillon
