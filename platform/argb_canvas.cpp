#include "platform/argb_canvas.h"

namespace quillon {

UniqueBitmap CreateArgbBitmap(int Width, int Height, void** Bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = Width;
    info.bmiHeader.biHeight = -Height;  // top-down, as GDI+ lays out rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    *Bits = nullptr;
    UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, Bits, nullptr, 0));
    if (!*Bits) bitmap.reset();
    return bitmap;
}

TArgbCanvas::TArgbCanvas(int Width, int Height) {
    void* bits = nullptr;
    FBitmap = CreateArgbBitmap(Width, Height, &bits);
    if (!FBitmap) return;
    // Zero-filled by CreateDIBSection: fully transparent.
    FSurface =
        std::make_unique<Gdiplus::Bitmap>(Width, Height, Width * 4, PixelFormat32bppPARGB, static_cast<BYTE*>(bits));
    FGraphics = std::make_unique<Gdiplus::Graphics>(FSurface.get());
    if (FGraphics->GetLastStatus() != Gdiplus::Ok) {
        FGraphics.reset();
        return;
    }
    FGraphics->SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    FGraphics->SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    FGraphics->SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
}

UniqueBitmap TArgbCanvas::TakeBitmap() {
    FGraphics.reset();  // flushes pending drawing into the bits
    FSurface.reset();
    return std::move(FBitmap);
}

}  // namespace quillon
