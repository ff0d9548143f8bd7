#pragma once
// Functions looked up by name at run time, for those that not every
// supported Windows version (or every runtime) exports.

#include <windows.h>

namespace quillon {

// Sets Function to Name in Module, typed as the caller's pointer; null (and
// false) when the module does not export it.
template <typename TFunction>
bool FindFunction(HMODULE Module, const char* Name, TFunction& Function) {
    // Through void(*)() so the compiler accepts the change of signature.
    Function = reinterpret_cast<TFunction>(reinterpret_cast<void (*)()>(::GetProcAddress(Module, Name)));
    return Function != nullptr;
}

// Loads Name (a file name such as "dbghelp.dll") from the system folder
// only: a library of that name planted beside the program must never load
// in its place. LOAD_LIBRARY_SEARCH_SYSTEM32 says so where the loader knows
// it; Windows 7 without its loader update refuses the flag as an invalid
// parameter, and then the library is named by its full path in the system
// folder. LoadEx stands in for LoadLibraryExW in tests.
using TLoadLibraryEx = HMODULE(WINAPI*)(LPCWSTR Name, HANDLE File, DWORD Flags);
HMODULE LoadSystemLibrary(const wchar_t* Name, TLoadLibraryEx LoadEx = &::LoadLibraryExW);

}  // namespace quillon
