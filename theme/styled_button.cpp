#include "theme/styled_button.h"

#include "platform/argb_canvas.h"
#include "platform/dpi.h"
#include "platform/gdi_scope.h"
#include "theme/palette.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace quillon {
namespace {

// The signed distance from (X, Y) to the edge of a box of Width x Height
// with corners of Radius: negative inside. Exact for the rounded box, a
// close estimate for the ellipse; either way smooth across the edge.
float DistanceToShape(float X, float Y, float Width, float Height, TButtonDrawType Type, float Radius) {
    const float halfWidth = Width / 2.0f;
    const float halfHeight = Height / 2.0f;
    const float dx = std::fabs(X - halfWidth);
    const float dy = std::fabs(Y - halfHeight);
    if (Type == TButtonDrawType::Ellipse) {
        const float nx = dx / halfWidth;
        const float ny = dy / halfHeight;
        return (std::sqrt(nx * nx + ny * ny) - 1.0f) * std::min(halfWidth, halfHeight);
    }
    if (Type == TButtonDrawType::Rect) Radius = 0.0f;
    if (Type == TButtonDrawType::Rounded) Radius = std::min(halfWidth, halfHeight);
    Radius = std::min({Radius, halfWidth, halfHeight});
    const float qx = dx - (halfWidth - Radius);
    const float qy = dy - (halfHeight - Radius);
    const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f));
    return outside + std::min(std::max(qx, qy), 0.0f) - Radius;
}

std::uint32_t Blend(COLORREF Back, COLORREF Front, float Cover) {
    const auto mix = [Cover](int B, int F) {
        return static_cast<std::uint32_t>(std::lround(static_cast<float>(B) + (static_cast<float>(F - B) * Cover)));
    };
    return 0xFF000000u | (mix(GetRValue(Back), GetRValue(Front)) << 16) |
           (mix(GetGValue(Back), GetGValue(Front)) << 8) | mix(GetBValue(Back), GetBValue(Front));
}

// Each pixel takes as much of the face, the border and the surface as it
// covers: smooth edges at any size, the same on every system.
void DrawShape(std::uint32_t* Pixels, int Width, int Height, const TStyledButtonAttributes& State, int Radius, UINT Dpi,
               COLORREF Surface) {
    // A border of width 0 is the thinnest line the screen shows well.
    const bool hasBorder = State.BorderDrawStyle == TBorderDrawStyle::Solid;
    const float border = hasBorder ? static_cast<float>(std::max(1, Scale(std::max(1, State.BorderWidth), Dpi))) : 0.0f;
    const COLORREF face = State.ButtonDrawStyle == TButtonDrawStyle::Solid ? State.ButtonColor : Surface;
    const COLORREF edge = hasBorder ? State.BorderColor : face;
    const float radius = static_cast<float>(Scale(Radius, Dpi));
    for (int y = 0; y < Height; ++y) {
        for (int x = 0; x < Width; ++x) {
            const float distance =
                DistanceToShape(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f, static_cast<float>(Width),
                                static_cast<float>(Height), State.DrawType, radius);
            const float inShape = std::clamp(0.5f - distance, 0.0f, 1.0f);
            const float inFace = std::clamp(0.5f - (distance + border), 0.0f, 1.0f);
            // Surface, then the border where the shape is, then the face within.
            const std::uint32_t onEdge = Blend(Surface, edge, inShape);
            const COLORREF edgeMix = RGB((onEdge >> 16) & 0xFF, (onEdge >> 8) & 0xFF, onEdge & 0xFF);
            Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)] =
                Blend(edgeMix, face, inFace);
        }
    }
}

void DrawCaption(HDC Dc, RECT Rect, std::wstring_view Text, HFONT Font, const TStyledButtonAttributes& State,
                 bool RightToLeft) {
    LOGFONTW face{};
    if (Font) ::GetObjectW(Font, sizeof face, &face);
    face.lfWeight = State.Bold ? FW_BOLD : face.lfWeight;
    face.lfItalic = State.Italic ? TRUE : face.lfItalic;
    face.lfUnderline = State.Underline ? TRUE : face.lfUnderline;
    face.lfStrikeOut = State.StrikeOut ? TRUE : face.lfStrikeOut;
    const bool changed = State.Bold || State.Italic || State.Underline || State.StrikeOut;
    const UniqueFont styled(changed ? ::CreateFontIndirectW(&face) : nullptr);
    const TSelectObject selected(Dc, styled ? styled.get() : (Font ? Font : ::GetStockObject(DEFAULT_GUI_FONT)));
    ::SetBkMode(Dc, TRANSPARENT);
    ::SetTextColor(Dc, State.FontColor);
    ::DrawTextW(
        Dc, Text.data(), static_cast<int>(Text.size()), &Rect,
        DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_HIDEPREFIX | (RightToLeft ? DT_RTLREADING : 0));
}

}  // namespace

const TStyledButtonAttributes& StateFor(const TStyledButtonStates& States, const TButtonLook& Look) {
    if (Look.Disabled) return States.Disabled;
    if (Look.Pressed || Look.Down) return States.Pressed;
    if (Look.Hot) return States.Hot;
    if (Look.Focused) return States.Selected;
    return States.Normal;
}

TStyledButtonStates HighContrastStates() {
    TStyledButtonAttributes normal;
    normal.ButtonDrawStyle = TButtonDrawStyle::Solid;
    normal.ButtonColor = ::GetSysColor(COLOR_BTNFACE);
    normal.BorderColor = ::GetSysColor(COLOR_WINDOWTEXT);
    normal.FontColor = ::GetSysColor(COLOR_BTNTEXT);
    TStyledButtonAttributes marked = normal;
    marked.ButtonColor = ::GetSysColor(COLOR_HIGHLIGHT);
    marked.BorderColor = ::GetSysColor(COLOR_HIGHLIGHT);
    marked.FontColor = ::GetSysColor(COLOR_HIGHLIGHTTEXT);
    TStyledButtonAttributes disabled = normal;
    disabled.BorderColor = ::GetSysColor(COLOR_GRAYTEXT);
    disabled.FontColor = ::GetSysColor(COLOR_GRAYTEXT);
    return {normal, marked, marked, marked, disabled};
}

void PaintStyledButton(const TButtonPaint& Paint, const TStyledButton& Style) {
    const int width = Paint.Rect.right - Paint.Rect.left;
    const int height = Paint.Rect.bottom - Paint.Rect.top;
    if (width <= 0 || height <= 0) return;
    const bool highContrast = IsHighContrast();
    const TStyledButtonStates states =
        highContrast ? HighContrastStates() : ButtonStates(Style.Family, Style.Appearance);
    const TStyledButtonAttributes& state = StateFor(states, Paint.Look);

    void* bits = nullptr;
    const UniqueBitmap bitmap = CreateArgbBitmap(width, height, &bits);
    if (!bitmap) return;
    const COLORREF surface = highContrast ? ::GetSysColor(COLOR_WINDOW) : Style.Surface;
    DrawShape(static_cast<std::uint32_t*>(bits), width, height, state, Style.Radius, Paint.Dpi, surface);
    UniqueMemoryDc memory(::CreateCompatibleDC(Paint.Dc));
    const TSelectObject selected(memory.get(), bitmap.get());
    RECT inside{0, 0, width, height};
    const bool mirrored = (::GetLayout(Paint.Dc) & LAYOUT_RTL) != 0;
    DrawCaption(memory.get(), inside, Paint.Text, Paint.Font, state, mirrored);
    if (Paint.Look.ShowFocus) {
        const int focusInset = Scale(3, Paint.Dpi);
        ::InflateRect(&inside, -focusInset, -focusInset);
        ::SetTextColor(memory.get(), state.FontColor);
        ::DrawFocusRect(memory.get(), &inside);
    }
    // Into a mirrored window the picture goes as it is, or its text would
    // read backwards; the surface goes first, as a mirrored copy may fall a
    // pixel short of the edge.
    if (mirrored) {
        const UniqueBrush surfaceBrush(::CreateSolidBrush(surface));
        ::FillRect(Paint.Dc, &Paint.Rect, surfaceBrush.get());
    }
    ::BitBlt(Paint.Dc, Paint.Rect.left, Paint.Rect.top, width, height, memory.get(), 0, 0,
             SRCCOPY | (mirrored ? NOMIRRORBITMAP : 0));
}

}  // namespace quillon
