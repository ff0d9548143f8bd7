#pragma once
// Draws a button in the look a style family gives its appearance, in the
// state the button is in: smooth shapes at any DPI, each pixel blended by
// how much of it the shape covers, the text in the system's renderer, the
// keyboard focus when the keyboard is used. In
// Windows' high-contrast mode the system's colours stand in for the
// family's.

#include "platform/controls/button_look.h"
#include "theme/button_styles.h"

#include <string>

namespace quillon {

struct TStyledButton {
    std::wstring Family = kTamriskFamily;
    std::wstring Appearance;
    int Radius = 4;                         // corners, at 96 DPI
    COLORREF Surface = RGB(255, 255, 255);  // behind the rounded corners
};

void PaintStyledButton(const TButtonPaint& Paint, const TStyledButton& Style);

// The state a look is drawn in: disabled, else pressed (held or shown down),
// else hot, else selected (focused), else normal.
const TStyledButtonAttributes& StateFor(const TStyledButtonStates& States, const TButtonLook& Look);

// The five states in the system's colours, for high-contrast mode.
TStyledButtonStates HighContrastStates();

}  // namespace quillon
