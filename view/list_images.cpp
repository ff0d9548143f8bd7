#include "view/list_images.h"

#include "platform/argb_canvas.h"
#include "platform/dpi.h"
#include "platform/gdi_scope.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace quillon {
namespace {

using Gdiplus::Color;
using Gdiplus::GraphicsPath;
using Gdiplus::PointF;

// Every picture is drawn on a 16 x 16 grid; the caller's transform scales it.

void DrawBlankDocument(Gdiplus::Graphics& G) {
    const PointF page[] = {{3.5f, 1.5f}, {9.5f, 1.5f}, {12.5f, 4.5f}, {12.5f, 14.5f}, {3.5f, 14.5f}};
    const PointF fold[] = {{9.5f, 1.5f}, {9.5f, 4.5f}, {12.5f, 4.5f}};
    Gdiplus::SolidBrush paper(Color(255, 255, 255, 255));
    Gdiplus::SolidBrush folded(Color(255, 221, 226, 232));
    Gdiplus::Pen outline(Color(255, 122, 133, 148), 1.0f);
    outline.SetLineJoin(Gdiplus::LineJoinRound);
    G.FillPolygon(&paper, page, 5);
    G.DrawPolygon(&outline, page, 5);
    G.FillPolygon(&folded, fold, 3);
    G.DrawPolygon(&outline, fold, 3);
}

// An isometric cube whose top corner is at (X, Y): 7 wide, 7.5 high.
void DrawCube(Gdiplus::Graphics& G, float X, float Y) {
    const PointF top[] = {{X, Y}, {X + 3.5f, Y + 1.75f}, {X, Y + 3.5f}, {X - 3.5f, Y + 1.75f}};
    const PointF left[] = {{X - 3.5f, Y + 1.75f}, {X, Y + 3.5f}, {X, Y + 7.5f}, {X - 3.5f, Y + 5.75f}};
    const PointF right[] = {{X, Y + 3.5f}, {X + 3.5f, Y + 1.75f}, {X + 3.5f, Y + 5.75f}, {X, Y + 7.5f}};
    Gdiplus::SolidBrush topFill(Color(255, 125, 179, 245));
    Gdiplus::SolidBrush leftFill(Color(255, 61, 127, 217));
    Gdiplus::SolidBrush rightFill(Color(255, 42, 100, 184));
    Gdiplus::Pen edge(Color(255, 28, 72, 140), 0.6f);
    edge.SetLineJoin(Gdiplus::LineJoinRound);
    G.FillPolygon(&topFill, top, 4);
    G.FillPolygon(&leftFill, left, 4);
    G.FillPolygon(&rightFill, right, 4);
    G.DrawPolygon(&edge, top, 4);
    G.DrawPolygon(&edge, left, 4);
    G.DrawPolygon(&edge, right, 4);
}

void DrawRegistryCubes(Gdiplus::Graphics& G) {
    DrawCube(G, 4.5f, 7.0f);
    DrawCube(G, 11.5f, 7.0f);
    DrawCube(G, 8.0f, 0.5f);
}

void DrawClock(Gdiplus::Graphics& G) {
    Gdiplus::SolidBrush face(Color(255, 255, 255, 255));
    Gdiplus::Pen rim(Color(255, 61, 127, 217), 1.5f);
    G.FillEllipse(&face, 1.75f, 1.75f, 12.5f, 12.5f);
    G.DrawEllipse(&rim, 1.75f, 1.75f, 12.5f, 12.5f);
    Gdiplus::Pen tick(Color(255, 122, 133, 148), 0.8f);
    G.DrawLine(&tick, 8.0f, 3.4f, 8.0f, 4.6f);
    G.DrawLine(&tick, 12.6f, 8.0f, 11.4f, 8.0f);
    G.DrawLine(&tick, 8.0f, 12.6f, 8.0f, 11.4f);
    G.DrawLine(&tick, 3.4f, 8.0f, 4.6f, 8.0f);
    Gdiplus::Pen hand(Color(255, 31, 41, 51), 1.2f);
    hand.SetStartCap(Gdiplus::LineCapRound);
    hand.SetEndCap(Gdiplus::LineCapRound);
    G.DrawLine(&hand, 8.0f, 8.0f, 8.0f, 4.8f);
    G.DrawLine(&hand, 8.0f, 8.0f, 10.8f, 9.6f);
}

// A gear with Teeth teeth between radius Inner and Outer and a hole of
// radius Hole, filled in Fill; the hole stays transparent.
void DrawGear(Gdiplus::Graphics& G, PointF Centre, float Outer, float Inner, float Hole, int Teeth, Color Fill) {
    const float step = 2.0f * std::numbers::pi_v<float> / static_cast<float>(Teeth);
    const float base = step * 0.26f;
    const float tip = step * 0.16f;
    auto at = [&](float radius, float angle) {
        return PointF(Centre.X + radius * std::cos(angle), Centre.Y + radius * std::sin(angle));
    };
    GraphicsPath path(Gdiplus::FillModeAlternate);
    std::vector<PointF> outline;
    for (int i = 0; i < Teeth; ++i) {
        const float angle = step * static_cast<float>(i);
        outline.push_back(at(Inner, angle - base));
        outline.push_back(at(Outer, angle - tip));
        outline.push_back(at(Outer, angle + tip));
        outline.push_back(at(Inner, angle + base));
    }
    path.AddPolygon(outline.data(), static_cast<INT>(outline.size()));
    path.AddEllipse(Centre.X - Hole, Centre.Y - Hole, 2 * Hole, 2 * Hole);
    Gdiplus::SolidBrush brush(Fill);
    G.FillPath(&brush, &path);
}

void DrawGears(Gdiplus::Graphics& G) {
    DrawGear(G, {6.3f, 6.3f}, 5.6f, 4.1f, 1.7f, 8, Color(255, 96, 108, 122));
    DrawGear(G, {11.9f, 11.9f}, 3.7f, 2.7f, 1.1f, 7, Color(255, 150, 162, 175));
}

int AddImage(HIMAGELIST List, UINT Dpi, void (*Draw)(Gdiplus::Graphics&)) {
    const int width = Scale(kImageSize, Dpi);
    const int height = ImageCellHeight(Dpi);
    TArgbCanvas canvas(width, height);
    if (canvas.IsValid()) {
        const float scale = static_cast<float>(width) / static_cast<float>(kImageSize);
        canvas.Graphics().TranslateTransform(0.0f, static_cast<float>(height - width) / 2.0f);
        canvas.Graphics().ScaleTransform(scale, scale);
        Draw(canvas.Graphics());
    }
    // Added even when drawing failed, so the indices of the pictures hold.
    UniqueBitmap bitmap = canvas.TakeBitmap();
    return ::ImageList_Add(List, bitmap.get(), nullptr);
}

struct TPixels {
    UniqueBitmap Bitmap;
    std::uint32_t* Bits = nullptr;
};

TPixels MakePixels(int Width, int Height, std::uint32_t Fill) {
    void* bits = nullptr;
    TPixels pixels{CreateArgbBitmap(Width, Height, &bits), nullptr};
    if (!pixels.Bitmap) return {};
    pixels.Bits = static_cast<std::uint32_t*>(bits);
    std::fill(pixels.Bits, pixels.Bits + static_cast<size_t>(Width) * static_cast<size_t>(Height), Fill);
    return pixels;
}

bool DrawIconOn(const TPixels& Pixels, HICON Icon, int Size, int Top) {
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    const TSelectObject selected(dc.get(), Pixels.Bitmap.get());
    return ::DrawIconEx(dc.get(), 0, Top, Icon, Size, Size, 0, nullptr, DI_NORMAL) != FALSE;
}

}  // namespace

int AddIconImage(HIMAGELIST List, HICON Icon, UINT Dpi) {
    // Icons come with a mask, an alpha channel or both. Drawing one on black
    // and on white tells each pixel's coverage whatever its kind: on black
    // the colour is already premultiplied, and white shows how much of the
    // background still comes through.
    const int size = Scale(kImageSize, Dpi);
    const int height = ImageCellHeight(Dpi);
    const int top = (height - size) / 2;
    TPixels onBlack = MakePixels(size, height, 0xFF000000u);
    TPixels onWhite = MakePixels(size, height, 0xFFFFFFFFu);
    if (!onBlack.Bits || !onWhite.Bits) return -1;
    if (!DrawIconOn(onBlack, Icon, size, top) || !DrawIconOn(onWhite, Icon, size, top)) return -1;
    const size_t count = static_cast<size_t>(size) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i) {
        const std::uint32_t black = onBlack.Bits[i];
        const std::uint32_t white = onWhite.Bits[i];
        const std::uint32_t throughWhite = (white >> 8) & 0xFFu;
        const std::uint32_t throughBlack = (black >> 8) & 0xFFu;
        const std::uint32_t background = throughWhite > throughBlack ? throughWhite - throughBlack : 0u;
        const std::uint32_t shown = 255u - background;
        onBlack.Bits[i] = (shown << 24) | (black & 0x00FFFFFFu);
    }
    return ::ImageList_Add(List, onBlack.Bitmap.get(), nullptr);
}

int AddBlankImage(HIMAGELIST List, UINT Dpi) { return AddImage(List, Dpi, &DrawBlankDocument); }

int ImageCellHeight(UINT Dpi) { return Scale(kRowHeight, Dpi) - 1; }

UniqueImageList CreateListImages(UINT Dpi) {
    UniqueImageList list(
        // ILC_MIRROR keeps the pictures the right way round in a mirrored list.
        ::ImageList_Create(Scale(kImageSize, Dpi), ImageCellHeight(Dpi), ILC_COLOR32 | ILC_MIRROR, kFixedImageCount,
                           16));
    if (!list) return list;
    AddImage(list.get(), Dpi, &DrawBlankDocument);
    AddImage(list.get(), Dpi, &DrawRegistryCubes);
    AddImage(list.get(), Dpi, &DrawClock);
    AddImage(list.get(), Dpi, &DrawGears);
    return list;
}

}  // namespace quillon
