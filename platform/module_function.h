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

}  // namespace quillon
