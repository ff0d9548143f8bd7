#pragma once
// Start-up entries from the registry Run keys: the machine's, the machine's
// 32-bit (Wow6432Node) and the user's, in that order.

#include "autorun/autorun_info.h"

#include <windows.h>

#include <string>

namespace quillon {

void CollectRunKeys(TAutorunList& List);

// One entry per value of Key under RootKey, in the registry's order. Key
// begins with "\" and becomes part of each entry's Target.
void CollectRunKey(HKEY RootKey, const std::wstring& Key, TAutorunList& List);

}  // namespace quillon
