#pragma once
// Quillon's logo: a blue rounded square holding a white "Q" with a quill
// tail, and the word "Quillon" beside it. Drawn as vectors at any size.

#include "platform/unique_handle.h"
#include "platform/window.h"
#include "theme/palette.h"

#include <gdiplus.h>

namespace quillon {

// The square mark alone, filling Box.
void DrawLogoMark(Gdiplus::Graphics& G, const Gdiplus::RectF& Box);

// The mark as an icon of Size x Size pixels (window and task-bar icon).
UniqueIcon MakeLogoIcon(int Size);

// The logo's control: paints the logo on the window's surface with a hand
// cursor; a click opens the product's web page.
class TImgLogo final : public TWindow {
public:
    // The palette belongs to the caller and must outlive the logo.
    TImgLogo(HWND Parent, const RECT& Rect, const TPalette& Palette);

private:
    LRESULT OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) override;
    void Paint();

    const TPalette& FPalette;
};

}  // namespace quillon
