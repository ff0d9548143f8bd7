#pragma once
// Only one copy of Quillon runs at a time. The first copy creates a named
// mutex that it holds until it ends; a later copy finds it and leaves.

namespace quillon {

inline constexpr wchar_t kInstanceMutexName[] = L"QuillonMutex";

// True when another copy holds the mutex. A mutex that exists but cannot be
// opened with full access is not seen, and this copy starts normally.
bool AnotherCopyRuns();

// Creates the mutex, owned by this copy, and false when another copy
// created it first: two copies started together can both pass
// AnotherCopyRuns, and only one of them makes the mutex. Its handle is
// deliberately never closed: the system releases it when the process ends.
bool ClaimSingleInstance(const wchar_t* Name = kInstanceMutexName);

}  // namespace quillon
