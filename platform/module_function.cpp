#include "platform/module_function.h"

#include <string>

namespace quillon {

HMODULE LoadSystemLibrary(const wchar_t* Name, TLoadLibraryEx LoadEx) {
    if (const HMODULE library = LoadEx(Name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return library;
    if (::GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    wchar_t folder[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(folder, length) + L"\\" + Name;
    return LoadEx(path.c_str(), nullptr, 0);
}

}  // namespace quillon
