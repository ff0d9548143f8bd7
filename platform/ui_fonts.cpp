#include "platform/ui_fonts.h"

#include "platform/dpi.h"

#include <cwchar>

namespace quillon {

LOGFONTW IconTitleLogFont(UINT Dpi) {
    LOGFONTW font{};
    if (!IconTitleFontForDpi(font, Dpi)) {
        // Should the system refuse, a 9-point sans serif is what it would give.
        font.lfHeight = -::MulDiv(9, static_cast<int>(Dpi), 72);
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;
        std::wcsncpy(font.lfFaceName, L"Segoe UI", LF_FACESIZE - 1);
    }
    return font;
}

LOGFONTW MessageLogFont(UINT Dpi) {
    LOGFONTW font{};
    return MessageFontForDpi(font, Dpi) ? font : IconTitleLogFont(Dpi);
}

TUiFonts::TUiFonts(UINT Dpi) {
    LOGFONTW font = IconTitleLogFont(Dpi);
    FNormal.reset(::CreateFontIndirectW(&font));
    std::wcsncpy(font.lfFaceName, L"Consolas", LF_FACESIZE - 1);
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    FMono.reset(::CreateFontIndirectW(&font));
}

}  // namespace quillon
