#pragma once
// Where the main window's parts go at a given DPI.

#include <windows.h>

namespace quillon {

struct TMainLayout {
    SIZE Client;   // the whole client area
    RECT Head;     // the band at the top
    RECT BtnHead;  // the header's tool bar, left of the logo
    RECT BtnHome;  // the tool bar's one button
    RECT ImgLogo;  // the logo at the band's right end
    RECT Card;     // the list frame, below the band within the card's padding
};

// Top is what the accent line above the band takes, in pixels at Dpi.
TMainLayout ComputeMainLayout(UINT Dpi, int Top = 0);

}  // namespace quillon
