// The list frame's refresh: a fresh inventory merged into the rows, with the
// filter lists, product names and file icons for the rows it adds.
#include "autorun/collect.h"
#include "platform/file_icons.h"
#include "platform/text.h"
#include "platform/version_info.h"
#include "view/autorun_frame.h"
#include "view/list_images.h"

#include <algorithm>

namespace quillon {

void TFrmAutorun::SetFilterLists(const TFilterList& FileWhite, const TFilterList& NameWhite,
                                 const TFilterList& NameBlack) {
    FFileWhite = &FileWhite;
    FNameWhite = &NameWhite;
    FNameBlack = &NameBlack;
}

void TFrmAutorun::LoadAutorun() {
    // Raises before any row is touched when a source fails.
    CollectAutoruns(AutorunList);
    const bool showDisabled = ::SendMessageW(FChkAllList, BM_GETCHECK, 0, 0) == BST_CHECKED;
    MergeRows(FRows, AutorunList, showDisabled, RefreshHooks());
    RowsChanged();
}

TRowMergeHooks TFrmAutorun::RefreshHooks() {
    // The name black list is kept for the service's additions, but nothing
    // in the list is hidden or marked by it.
    auto hidden = [this](const TAutorunInfo& Entry, TEntryKind Kind) {
        switch (Kind) {
        case TEntryKind::File:
            return FFileWhite && IsListed(*FFileWhite, Entry.Target, true);
        case TEntryKind::Service:
            return FNameWhite && IsListed(*FNameWhite, Entry.Target, false);
        case TEntryKind::Registry:
        case TEntryKind::Task:
            return FNameWhite && IsListed(*FNameWhite, FileNamePart(Entry.Target), false);
        }
        return false;
    };
    auto prepare = [this](const TAutorunInfo& Entry, TEntryKind Kind, TAutorunItem& Row) {
        switch (Kind) {
        case TEntryKind::Task:
            Row.Icon = kImageClock;
            return;
        case TEntryKind::Service:
            Row.Icon = kImageGears;
            return;
        case TEntryKind::Registry:
        case TEntryKind::File:
            break;
        }
        if (std::wstring product = ReadProductName(Entry.FileName); !product.empty()) Row.FileName = std::move(product);
        Row.Icon = IconFor(Entry.FileName);
    };
    return {hidden, prepare};
}

int TFrmAutorun::IconFor(const std::wstring& FileName) {
    return GetFileIconIndex(IconCache, FListIcon.get(), FDpi, FileName, kImageRegistry);
}

void TFrmAutorun::RebuildFileIcons() {
    // A new image list for another DPI holds only the fixed pictures: the
    // file icons go back in their old order, so the cached indices hold.
    std::vector<std::pair<int, const std::wstring*>> byIndex;
    for (const auto& [key, index] : IconCache) byIndex.emplace_back(index, &key);
    std::sort(byIndex.begin(), byIndex.end());
    for (const auto& [index, key] : byIndex) {
        UniqueIcon icon = ExtractFileIcon(*key);
        if (icon && AddIconImage(FListIcon.get(), icon.get(), FDpi) == index) continue;
        // A file whose icon can no longer be had keeps its place with the
        // blank page, taken from the list at the list's own size.
        UniqueIcon blank(::ImageList_GetIcon(FListIcon.get(), kImageBlank, ILD_NORMAL));
        ::ImageList_ReplaceIcon(FListIcon.get(), -1, blank.get());
    }
}

}  // namespace quillon
