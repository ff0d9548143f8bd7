// Loading a system library from the system folder only, also where the
// loader does not know how to be told so.
#include "platform/module_function.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace quillon {
namespace {

// A loader that refuses the system-folder flag with a given error, as
// Windows 7 without its loader update does, and loads anything else.
std::vector<std::pair<std::wstring, DWORD>> gCalls;
DWORD gFlagError = 0;

HMODULE WINAPI FakeLoad(LPCWSTR Name, HANDLE, DWORD Flags) {
    gCalls.emplace_back(Name, Flags);
    if (Flags & LOAD_LIBRARY_SEARCH_SYSTEM32) {
        ::SetLastError(gFlagError);
        return nullptr;
    }
    return ::GetModuleHandleW(L"kernel32.dll");
}

std::wstring SystemFolder() {
    wchar_t folder[MAX_PATH] = {};
    return std::wstring(folder, ::GetSystemDirectoryW(folder, MAX_PATH));
}

TEST(LoadSystemLibrary, NamesTheFullSystemPathOnlyWhereTheLoaderRefusesTheFlag) {
    gCalls.clear();
    gFlagError = ERROR_INVALID_PARAMETER;
    EXPECT_NE(LoadSystemLibrary(L"dbghelp.dll", &FakeLoad), nullptr);
    const std::vector<std::pair<std::wstring, DWORD>> fallback{{L"dbghelp.dll", LOAD_LIBRARY_SEARCH_SYSTEM32},
                                                               {SystemFolder() + L"\\dbghelp.dll", 0}};
    EXPECT_EQ(gCalls, fallback);

    // A library that is simply missing is not looked for anywhere else.
    gCalls.clear();
    gFlagError = ERROR_MOD_NOT_FOUND;
    EXPECT_EQ(LoadSystemLibrary(L"dbghelp.dll", &FakeLoad), nullptr);
    EXPECT_EQ(gCalls.size(), 1u);

    EXPECT_NE(LoadSystemLibrary(L"dbghelp.dll"), nullptr) << "the real loader";
}

}  // namespace
}  // namespace quillon
