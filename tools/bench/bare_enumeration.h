#pragma once
// What any program must do at the least to read the data the inventory
// reads: each key opened once and each value read once, each folder listed
// once, each service asked once. The benchmarks hold the program's times
// against these.

#include <windows.h>

#include <cstddef>
#include <string>

namespace quillon::bench {

// Every value of a Run key, names and data; with ApprovedKey, each value's
// state value there too. Returns the values seen.
std::size_t BareRunKey(HKEY Root, const wchar_t* Key, const wchar_t* ApprovedKey = nullptr);

// Every file of Folder; with ApprovedKey (under HKEY_CURRENT_USER), each
// file's state value there too.
std::size_t BareFolder(const std::wstring& Folder, const wchar_t* ApprovedKey = nullptr);

// Every Win32 service with its configuration.
std::size_t BareServices();

// Dispatches what waits in this thread's queue.
void PumpMessages();

}  // namespace quillon::bench
