#pragma once
// The images of the list's rows at one DPI: the four fixed pictures, then
// the file icons that rows asked for, each added once and remembered in the
// icon cache by its location text.

#include "platform/unique_handle.h"
#include "view/autorun_item.h"

#include <string>

namespace quillon {

class TRowImages {
public:
    explicit TRowImages(UINT Dpi);

    [[nodiscard]] HIMAGELIST Handle() const noexcept { return FList.get(); }
    [[nodiscard]] UINT Dpi() const noexcept { return FDpi; }
    [[nodiscard]] const TIconCache& IconCache() const noexcept { return FIconCache; }

    // The image of the file that Source names (a path, optionally with ",N"
    // for its icon number), added on first use; the fall-back picture for
    // an empty text or an icon that cannot be added, the blank page for a
    // missing file or one without an icon.
    int IconFor(const std::wstring& Source);

    // Draws everything anew for Dpi. Every cached index keeps its place:
    // an icon whose file has gone since, or that cannot be drawn again,
    // holds its place with the blank page. Returns the old image list, to
    // be released once no control shows it any more.
    [[nodiscard]] UniqueImageList SetDpi(UINT Dpi);

private:
    UINT FDpi;
    UniqueImageList FList;
    TIconCache FIconCache;
};

}  // namespace quillon
