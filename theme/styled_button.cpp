#include "theme/styled_button.h"

#include "platform/argb_canvas.h"
#include "platform/dpi.h"
#include "platform/gdi_scope.h"
#include "theme/palette.h"

#include <algorithm>

namespace quillon {
namespace {

Gdiplus::Color ColorOf(COLORREF Color) { return {255, GetRValue(Color), GetGValue(Color), GetBValue(Color)}; }

void AddShape(Gdiplus::GraphicsPath& Path, const Gdiplus::RectF& Box, TButtonDrawType Type, float Radius) {
    switch (Type) {
    case TButtonDrawType::Rect:
        Path.AddRectangle(Box);
        return;
    case TButtonDrawType::Ellipse:
        Path.AddEllipse(Box);
        return;
    case TButtonDrawType::Rounded:
        Radius = std::min(Box.Width, Box.Height) / 2.0f;
        break;
    case TButtonDrawType::RoundRect:
        break;
    }
    const float d = std::min({2.0f * Radius, Box.Width, Box.Height});
    if (d <= 0.0f) {
        Path.AddRectangle(Box);
        return;
    }
    Path.AddArc(Box.X, Box.Y, d, d, 180.0f, 90.0f);
    Path.AddArc(Box.X + Box.Width - d, Box.Y, d, d, 270.0f, 90.0f);
    Path.AddArc(Box.X + Box.Width - d, Box.Y + Box.Height - d, d, d, 0.0f, 90.0f);
    Path.AddArc(Box.X, Box.Y + Box.Height - d, d, d, 90.0f, 90.0f);
    Path.CloseFigure();
}

void DrawShape(Gdiplus::Graphics& G, int Width, int Height, const TStyledButtonAttributes& State, int Radius,
               UINT Dpi) {
    // A border of width 0 is the thinnest line the screen shows well.
    const float border = static_cast<float>(std::max(1, Scale(std::max(1, State.BorderWidth), Dpi)));
    const float inset = State.BorderDrawStyle == TBorderDrawStyle::Solid ? border / 2.0f : 0.0f;
    const Gdiplus::RectF box(inset, inset, static_cast<float>(Width) - 2 * inset,
                             static_cast<float>(Height) - 2 * inset);
    Gdiplus::GraphicsPath shape;
    AddShape(shape, box, State.DrawType, static_cast<float>(Scale(Radius, Dpi)));
    if (State.ButtonDrawStyle == TButtonDrawStyle::Solid) {
        Gdiplus::SolidBrush face(ColorOf(State.ButtonColor));
        G.FillPath(&face, &shape);
    }
    if (State.BorderDrawStyle == TBorderDrawStyle::Solid) {
        Gdiplus::Pen edge(ColorOf(State.BorderColor), border);
        G.DrawPath(&edge, &shape);
    }
}

void DrawCaption(HDC Dc, RECT Rect, std::wstring_view Text, HFONT Font, const TStyledButtonAttributes& State) {
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
    ::DrawTextW(Dc, Text.data(), static_cast<int>(Text.size()), &Rect,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_HIDEPREFIX);
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
    const TStyledButtonStates states =
        IsHighContrast() ? HighContrastStates() : ButtonStates(Style.Family, Style.Appearance);
    const TStyledButtonAttributes& state = StateFor(states, Paint.Look);

    TArgbCanvas canvas(width, height);
    if (!canvas.IsValid()) return;
    canvas.Graphics().Clear(ColorOf(IsHighContrast() ? ::GetSysColor(COLOR_WINDOW) : Style.Surface));
    DrawShape(canvas.Graphics(), width, height, state, Style.Radius, Paint.Dpi);
    UniqueBitmap bitmap = canvas.TakeBitmap();
    UniqueMemoryDc memory(::CreateCompatibleDC(Paint.Dc));
    const TSelectObject selected(memory.get(), bitmap.get());
    RECT inside{0, 0, width, height};
    DrawCaption(memory.get(), inside, Paint.Text, Paint.Font, state);
    if (Paint.Look.ShowFocus) {
        const int focusInset = Scale(3, Paint.Dpi);
        ::InflateRect(&inside, -focusInset, -focusInset);
        ::SetTextColor(memory.get(), state.FontColor);
        ::DrawFocusRect(memory.get(), &inside);
    }
    // Into a mirrored window the picture goes as it is, or its text would
    // read backwards.
    const DWORD mirror = (::GetLayout(Paint.Dc) & LAYOUT_RTL) ? NOMIRRORBITMAP : 0;
    ::BitBlt(Paint.Dc, Paint.Rect.left, Paint.Rect.top, width, height, memory.get(), 0, 0, SRCCOPY | mirror);
}

}  // namespace quillon
