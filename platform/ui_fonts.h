#pragma once
// The fonts of the user interface at one DPI: the desktop's icon-title font
// and a monospaced face of the same size. One owner; controls only borrow.

#include "platform/unique_handle.h"

namespace quillon {

class TUiFonts {
public:
    // Reads the icon-title font for Dpi anew; call again when the DPI or the
    // desktop's font settings change.
    void Rebuild(UINT Dpi);

    [[nodiscard]] HFONT Normal() const noexcept { return FNormal.get(); }
    [[nodiscard]] HFONT Mono() const noexcept { return FMono.get(); }

private:
    UniqueFont FNormal;
    UniqueFont FMono;
};

// The icon-title font as the desktop defines it for Dpi.
LOGFONTW IconTitleLogFont(UINT Dpi);

}  // namespace quillon
