#include "app/single_instance.h"

#include "platform/unique_handle.h"

namespace quillon {

bool AnotherCopyRuns() {
    UniqueKernelHandle existing(::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kInstanceMutexName));
    return static_cast<bool>(existing);
}

bool ClaimSingleInstance(const wchar_t* Name) {
    const HANDLE mutex = ::CreateMutexW(nullptr, TRUE, Name);
    return !(mutex && ::GetLastError() == ERROR_ALREADY_EXISTS);
}

}  // namespace quillon
