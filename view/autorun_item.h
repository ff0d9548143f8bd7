#pragma once
// What one row of the autorun list shows. Rows copy what they need from the
// inventory: its entries are rebuilt on every refresh.

#include "autorun/autorun_info.h"

#include <string>
#include <unordered_map>

namespace quillon {

struct TAutorunItem {
    std::wstring FileName;                       // column 0: the product name, or the entry's caption
    std::wstring Target;                         // with From, identifies the entry
    std::wstring From;                           // column 1: "FILE", "SCHE", "SERV" or a registry root
    int Icon = 0;                                // index into the list's images
    bool Enabled = false;                        // drawn grey when false
    TAutorunKind Kind = TAutorunKind::RunValue;  // how the row's entry is switched
    // The file whose product name and icon the row is still to show, read
    // when the row is first shown; empty once they are read, and for rows
    // without a file of their own.
    std::wstring PendingFile{};
};

// Icon location text to image index, so each file's icon is added once.
using TIconCache = std::unordered_map<std::wstring, int>;

}  // namespace quillon
