#pragma once
// The fonts of the user interface at one DPI: the desktop's icon-title font
// and a monospaced face of the same size. One owner; controls only borrow,
// so new fonts are handed to every control before the old ones go.

#include "platform/unique_handle.h"

namespace quillon {

class TUiFonts {
public:
    TUiFonts() = default;
    // Reads the icon-title font for Dpi; make new fonts when the DPI or the
    // desktop's font settings change.
    explicit TUiFonts(UINT Dpi);

    [[nodiscard]] HFONT Normal() const noexcept { return FNormal.get(); }
    [[nodiscard]] HFONT Mono() const noexcept { return FMono.get(); }

private:
    UniqueFont FNormal;
    UniqueFont FMono;
};

// The icon-title font as the desktop defines it for Dpi.
LOGFONTW IconTitleLogFont(UINT Dpi);
// The font of the system's message boxes at Dpi; the icon-title font
// should the system not say.
LOGFONTW MessageLogFont(UINT Dpi);

}  // namespace quillon
