#pragma once
// The refresh of the list: a fresh inventory merged into the rows, with the
// filter lists deciding which new entries get a row. A new row of a Run
// value or start-up file is left to name itself by its file's product name
// and show its icon when it is first shown (TRowDetails).

#include "autorun/autorun_info.h"
#include "view/autorun_item.h"
#include "view/filter_list.h"

#include <vector>

namespace quillon {

// The main window's filter lists, lent to the list; any may be missing.
struct TFilterLists {
    const TFilterList* FileWhite = nullptr;
    const TFilterList* NameWhite = nullptr;
    // Kept for the service's additions; nothing in the list consults it.
    const TFilterList* NameBlack = nullptr;
};

// True when the filter lists hide a new row for Entry: a start-up file by
// its full path in the file white list, a Run value or task by its name and
// a service by its key name in the name white list.
bool IsHiddenByFilters(const TFilterLists& Filters, const TAutorunInfo& Entry);

// Brings Rows up to date with Inventory: rows keep their place, text and
// icon and only take the new state; new entries that pass the filters get
// rows at the end; rows of vanished entries go.
void RefreshRows(std::vector<TAutorunItem>& Rows, const TAutorunList& Inventory, bool ShowDisabled,
                 const TFilterLists& Filters);

}  // namespace quillon
