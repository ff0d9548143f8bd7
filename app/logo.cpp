#include "app/logo.h"

#include "platform/argb_canvas.h"
#include "platform/command_line.h"
#include "platform/gdi_scope.h"

namespace quillon {
namespace {

using Gdiplus::Color;

// Where a click on the logo leads.
constexpr wchar_t kProductPageUrl[] = L"https://quillon.app/";

constexpr float kLogoWidth = 112.0f;
constexpr float kLogoHeight = 50.0f;
constexpr float kMarkSize = 30.0f;
constexpr float kMarkLeft = 4.0f;
constexpr COLORREF kWordmarkInk = RGB(31, 41, 55);

void AddRoundedRect(Gdiplus::GraphicsPath& Path, const Gdiplus::RectF& R, float Radius) {
    const float d = 2.0f * Radius;
    Path.AddArc(R.X, R.Y, d, d, 180.0f, 90.0f);
    Path.AddArc(R.X + R.Width - d, R.Y, d, d, 270.0f, 90.0f);
    Path.AddArc(R.X + R.Width - d, R.Y + R.Height - d, d, d, 0.0f, 90.0f);
    Path.AddArc(R.X, R.Y + R.Height - d, d, d, 90.0f, 90.0f);
    Path.CloseFigure();
}

// The product name beside the mark, in the system's text renderer so it
// looks like the rest of the window's text.
void DrawWordmark(HDC Dc, const RECT& Client, float Scale, COLORREF Ink) {
    UniqueFont font(::CreateFontW(-static_cast<int>(17.0f * Scale + 0.5f), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                  VARIABLE_PITCH | FF_SWISS, L"Segoe UI"));
    const TSelectObject selected(Dc, font.get());
    ::SetBkMode(Dc, TRANSPARENT);
    ::SetTextColor(Dc, Ink);
    RECT text = Client;
    text.left = static_cast<LONG>((kMarkLeft + kMarkSize + 5.0f) * Scale);
    ::DrawTextW(Dc, L"Quillon", -1, &text, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
}

}  // namespace

void DrawLogoMark(Gdiplus::Graphics& G, const Gdiplus::RectF& Box) {
    // Designed on a 32-unit square.
    const float u = Box.Width / 32.0f;
    Gdiplus::GraphicsPath square;
    AddRoundedRect(square, Box, 7.0f * u);
    Gdiplus::LinearGradientBrush fill(Gdiplus::PointF(Box.X, Box.Y),
                                      Gdiplus::PointF(Box.X + Box.Width, Box.Y + Box.Height), Color(255, 59, 130, 246),
                                      Color(255, 29, 78, 216));
    G.FillPath(&fill, &square);

    Gdiplus::Pen ink(Color(255, 255, 255, 255), 3.2f * u);
    ink.SetStartCap(Gdiplus::LineCapRound);
    ink.SetEndCap(Gdiplus::LineCapRound);
    G.DrawEllipse(&ink, Box.X + 6.5f * u, Box.Y + 6.5f * u, 17.0f * u, 17.0f * u);
    // The tail of the Q, cut like a quill's nib.
    Gdiplus::SolidBrush white(Color(255, 255, 255, 255));
    const Gdiplus::PointF nib[] = {{Box.X + 17.0f * u, Box.Y + 19.5f * u},
                                   {Box.X + 19.5f * u, Box.Y + 17.0f * u},
                                   {Box.X + 27.0f * u, Box.Y + 27.0f * u}};
    G.FillPolygon(&white, nib, 3);
}

UniqueIcon MakeLogoIcon(int Size) {
    return MakeIcon(Size, [Size](Gdiplus::Graphics& G) {
        const float side = static_cast<float>(Size);
        DrawLogoMark(G, {0.0f, 0.0f, side, side});
    });
}

TImgLogo::TImgLogo(HWND Parent, const RECT& Rect, const TPalette& Palette) : FPalette(Palette) {
    CreateFor(L"QuillonLogo", 0, WS_CHILD | WS_VISIBLE, Rect, Parent, L"Quillon", IDC_HAND);
}

LRESULT TImgLogo::OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
    switch (Msg) {
    case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT, off screen
    case WM_PAINT:
        Paint();
        return 0;
    case WM_LBUTTONUP:
        ShellOpen(kProductPageUrl);
        return 0;
    default:
        return TWindow::OnMessage(Msg, WParam, LParam);
    }
}

void TImgLogo::Paint() {
    const TPaintScope paint(Handle());
    RECT client{};
    ::GetClientRect(Handle(), &client);
    // The control is the logo's box at the window's DPI; its width tells the scale.
    const float scale = static_cast<float>(client.right) / kLogoWidth;
    TArgbCanvas canvas(client.right, client.bottom);
    if (canvas.IsValid()) {
        const COLORREF surface = FPalette.Surface();
        canvas.Graphics().Clear(Color(255, GetRValue(surface), GetGValue(surface), GetBValue(surface)));
        const float markTop = (kLogoHeight - kMarkSize) / 2.0f;
        DrawLogoMark(canvas.Graphics(), {kMarkLeft * scale, markTop * scale, kMarkSize * scale, kMarkSize * scale});
        UniqueBitmap bitmap = canvas.TakeBitmap();
        UniqueMemoryDc memory(::CreateCompatibleDC(paint.Dc()));
        const TSelectObject selected(memory.get(), bitmap.get());
        DrawWordmark(memory.get(), client, scale, FPalette.HighContrast() ? FPalette.Text() : kWordmarkInk);
        // Into a mirrored window the logo goes as it is, not mirrored; the
        // surface goes first, as a mirrored copy may fall a pixel short.
        const bool mirrored = (::GetLayout(paint.Dc()) & LAYOUT_RTL) != 0;
        if (mirrored) ::FillRect(paint.Dc(), &client, FPalette.SurfaceBrush());
        ::BitBlt(paint.Dc(), 0, 0, client.right, client.bottom, memory.get(), 0, 0,
                 SRCCOPY | (mirrored ? NOMIRRORBITMAP : 0));
    }
}

}  // namespace quillon
