#pragma once
// A 32-bit premultiplied-alpha bitmap that GDI+ draws into directly: the
// form in which image lists and icons take anti-aliased artwork.

#include "platform/unique_handle.h"

#include <gdiplus.h>

#include <memory>

namespace quillon {

// A 32-bit top-down DIB section, zero-filled, and where its pixels live.
UniqueBitmap CreateArgbBitmap(int Width, int Height, void** Bits);

class TArgbCanvas {
public:
    TArgbCanvas(int Width, int Height);

    [[nodiscard]] bool IsValid() const noexcept { return FGraphics != nullptr; }
    // Anti-aliased graphics over the whole canvas, cleared to transparent.
    [[nodiscard]] Gdiplus::Graphics& Graphics() noexcept { return *FGraphics; }
    // Ends drawing and hands the bitmap over; the canvas is spent afterwards.
    [[nodiscard]] UniqueBitmap TakeBitmap();

private:
    UniqueBitmap FBitmap;
    std::unique_ptr<Gdiplus::Bitmap> FSurface;
    std::unique_ptr<Gdiplus::Graphics> FGraphics;
};

// An icon of Size x Size pixels drawn by Draw(graphics) on a transparent canvas.
template <typename DrawFn>
UniqueIcon MakeIcon(int Size, DrawFn&& Draw) {
    TArgbCanvas canvas(Size, Size);
    if (!canvas.IsValid()) return {};
    Draw(canvas.Graphics());
    UniqueBitmap color = canvas.TakeBitmap();
    UniqueBitmap mask(::CreateBitmap(Size, Size, 1, 1, nullptr));
    ICONINFO info{TRUE, 0, 0, mask.get(), color.get()};
    return UniqueIcon(::CreateIconIndirect(&info));
}

}  // namespace quillon
