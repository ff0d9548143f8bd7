#include "app/single_instance.h"

#include "platform/unique_handle.h"

namespace quillon {

bool AnotherCopyRuns() {
    UniqueKernelHandle existing(::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kInstanceMutexName));
    return static_cast<bool>(existing);
}

void ClaimSingleInstance() { ::CreateMutexW(nullptr, TRUE, kInstanceMutexName); }

}  // namespace quillon
