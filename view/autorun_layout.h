#pragma once
// Where the frame's controls go, for a frame of a given size and DPI.

#include <windows.h>

namespace quillon {

struct TAutorunLayout {
    RECT List;     // the entries, above the bottom bar
    RECT Bar;      // the bottom bar
    RECT AllList;  // the "all programs" check box
    RECT Switch;   // the switch button, at the bar's right end
};

TAutorunLayout ComputeAutorunLayout(SIZE Frame, UINT Dpi);

// Width of the "Loc" column; the program column takes the rest.
int SourceColumnWidth(UINT Dpi);

}  // namespace quillon
