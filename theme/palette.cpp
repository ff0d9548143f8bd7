#include "theme/palette.h"

namespace quillon {

bool IsHighContrast() {
    HIGHCONTRASTW contrast{sizeof contrast, 0, nullptr};
    return ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON);
}

TPalette::TPalette() { Rebuild(); }

void TPalette::Rebuild() {
    FHighContrast = IsHighContrast();
    FSurface = FHighContrast ? ::GetSysColor(COLOR_WINDOW) : RGB(255, 255, 255);
    FText = ::GetSysColor(COLOR_WINDOWTEXT);
    FGrayText = ::GetSysColor(COLOR_GRAYTEXT);
    FAccent = FHighContrast ? ::GetSysColor(COLOR_HIGHLIGHT) : kAccentColor;
    FSurfaceBrush.reset(::CreateSolidBrush(FSurface));
}

}  // namespace quillon
