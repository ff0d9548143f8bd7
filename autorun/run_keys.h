#pragma once
// Start-up entries from the registry Run keys: the machine's, the machine's
// 32-bit (Wow6432Node) and the user's, in that order.

#include "autorun/autorun_info.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// A Run value as its Target names it. Key is written as the inventory
// writes it, beginning with "\".
struct TRunValue {
    HKEY Root = nullptr;
    std::wstring Key;
    std::wstring Name;
};

// Splits a Run value's Target ("HKCU\Software\...\Run\Name") after the Run
// key it names, so a value name that itself holds "\" stays whole. The root
// may be written short or long, and root and key compare ignoring ASCII
// case. Nothing when Target names none of the three Run keys.
std::optional<TRunValue> ParseRunValueTarget(std::wstring_view Target);

void CollectRunKeys(TAutorunList& List);

// One entry per value of Key under RootKey, in the registry's order. Key
// begins with "\" and becomes part of each entry's Target.
void CollectRunKey(HKEY RootKey, const std::wstring& Key, TAutorunList& List);

}  // namespace quillon
