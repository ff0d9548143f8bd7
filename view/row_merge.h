#pragma once
// How a fresh inventory updates the rows of the list, apart from the
// platform: rows keep their place, text and icon and only take the new
// state; new entries that pass the filters get rows at the end; rows whose
// entries are gone are removed.

#include "autorun/autorun_info.h"
#include "view/autorun_item.h"

#include <functional>
#include <vector>

namespace quillon {

struct TRowMergeHooks {
    // True when a new row for the entry is to be left out.
    std::function<bool(const TAutorunInfo& Entry)> Hidden;
    // Fills the new row's FileName (display text) and Icon.
    std::function<void(const TAutorunInfo& Entry, TAutorunItem& Row)> Prepare;
};

// Brings Rows up to date with Entries. An entry finds its row by From and
// Target, ASCII case ignored, the first such row winning (rows added by this
// merge included); a row stays only if some entry has exactly its From and
// Target. Entries without a caption get no row, nor do disabled ones unless
// ShowDisabled. Linear in rows plus entries.
void MergeRows(std::vector<TAutorunItem>& Rows, const TAutorunList& Entries, bool ShowDisabled,
               const TRowMergeHooks& Hooks);

}  // namespace quillon
