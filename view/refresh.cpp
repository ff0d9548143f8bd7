#include "view/refresh.h"

#include "platform/text.h"
#include "view/list_images.h"
#include "view/row_merge.h"

namespace quillon {
namespace {

bool Listed(const TFilterList* List, std::wstring_view Text, bool FileMode) {
    return List && IsListed(*List, Text, FileMode);
}

// A task or service has a picture of its kind. A Run value or start-up file
// shows its file's icon and, where the file has one, its product name, read
// when the row is first shown; a row without a file text shows the
// registry picture at once.
void PrepareRow(const TAutorunInfo& Entry, TAutorunItem& Row) {
    switch (Entry.Kind) {
    case TAutorunKind::Task:
        Row.Icon = kImageClock;
        return;
    case TAutorunKind::Service:
        Row.Icon = kImageGears;
        return;
    case TAutorunKind::RunValue:
    case TAutorunKind::StartupFile:
        break;
    }
    Row.Icon = kImageRegistry;
    Row.PendingFile = Entry.FileName;
}

}  // namespace

bool IsHiddenByFilters(const TFilterLists& Filters, const TAutorunInfo& Entry) {
    switch (Entry.Kind) {
    case TAutorunKind::StartupFile:
        return Listed(Filters.FileWhite, Entry.Target, true);
    case TAutorunKind::Service:
        return Listed(Filters.NameWhite, Entry.Target, false);
    case TAutorunKind::RunValue:
        // The value's whole name: a name may hold "\", which ends no path here.
        return Listed(Filters.NameWhite, Entry.Caption, false);
    case TAutorunKind::Task:
        return Listed(Filters.NameWhite, FileNamePart(Entry.Target), false);
    }
    return false;
}

void RefreshRows(std::vector<TAutorunItem>& Rows, const TAutorunList& Inventory, bool ShowDisabled,
                 const TFilterLists& Filters) {
    const TRowMergeHooks hooks{
        [&Filters](const TAutorunInfo& Entry) { return IsHiddenByFilters(Filters, Entry); },
        &PrepareRow,
    };
    MergeRows(Rows, Inventory, ShowDisabled, hooks);
}

}  // namespace quillon
