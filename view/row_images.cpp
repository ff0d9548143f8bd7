#include "view/row_images.h"

#include "view/file_icons.h"
#include "view/list_images.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace quillon {

TRowImages::TRowImages(UINT Dpi) : FDpi(Dpi), FList(CreateListImages(Dpi)) {}

int TRowImages::IconFor(const std::wstring& Source) {
    return GetFileIconIndex(FIconCache, FList.get(), FDpi, Source, kImageRegistry);
}

UniqueImageList TRowImages::SetDpi(UINT Dpi) {
    UniqueImageList list = CreateListImages(Dpi);
    std::vector<std::pair<int, const std::wstring*>> byIndex;
    for (const auto& [key, index] : FIconCache) byIndex.emplace_back(index, &key);
    std::sort(byIndex.begin(), byIndex.end());
    for (const auto& [index, key] : byIndex) {
        const UniqueIcon icon = ExtractFileIcon(*key);
        if (icon && AddIconImage(list.get(), icon.get(), Dpi) == index) continue;
        // Whatever went wrong, the place is kept, or every later index
        // would show another file's icon.
        while (::ImageList_GetImageCount(list.get()) <= index) {
            if (AddBlankImage(list.get(), Dpi) < 0) break;
        }
    }
    FDpi = Dpi;
    return std::exchange(FList, std::move(list));
}

}  // namespace quillon
