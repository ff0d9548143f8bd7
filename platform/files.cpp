#include "platform/files.h"

#include "platform/unique_handle.h"

#include <windows.h>

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

std::wstring FullPath(const std::wstring& Path) {
    return ReadGrowingText([&Path](wchar_t* Buffer, std::size_t Capacity) -> std::size_t {
        return ::GetFullPathNameW(Path.c_str(), static_cast<DWORD>(Capacity), Buffer, nullptr);
    });
}

std::wstring ModulePath() {
    return ReadGrowingText([](wchar_t* Buffer, std::size_t Capacity) -> std::size_t {
        // A path cut short fills the whole buffer: ask again with more room.
        return ::GetModuleFileNameW(nullptr, Buffer, static_cast<DWORD>(Capacity));
    });
}

}  // namespace quillon
