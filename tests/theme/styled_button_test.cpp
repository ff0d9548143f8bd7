// Buttons drawn from the style family: the colours of each state read from
// a real owner-drawn button on the screen, states driven as the mouse and
// keyboard drive them, and the drawing itself at 96, 144 and 192 DPI.
#include "theme/styled_button.h"

#include "platform/argb_canvas.h"
#include "platform/controls/button.h"
#include "platform/dpi.h"
#include "platform/gdi_scope.h"
#include "platform/window.h"
#include "tests/support/window_test.h"
#include "theme/palette.h"

#include <gtest/gtest.h>

#include <memory>

namespace quillon {
namespace {

constexpr COLORREF kAccent = RGB(61, 132, 221);
constexpr COLORREF kLight = RGB(80, 144, 224);
constexpr COLORREF kWhite = RGB(255, 255, 255);

class THost final : public TWindow {
public:
    THost() {
        CreateFor(L"QuillonButtonTestHost", 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, {100, 100, 400, 300}, nullptr);
        Button = std::make_unique<TButton>(TButtonArgs{Handle(), L"Disable", true, true, [](const TButtonPaint& Paint) {
                                                           PaintStyledButton(Paint, {kTamriskFamily, L"Outline"});
                                                       }});
        Other = std::make_unique<TButton>(TButtonArgs{Handle(), L"Other"});
        Button->MoveTo({20, 20, 104, 53});
        Other->MoveTo({120, 20, 200, 53});
    }
    std::unique_ptr<TButton> Button;
    std::unique_ptr<TButton> Other;
};

class StyledButtonTest : public test::WindowTest {};

TEST_F(StyledButtonTest, EachStateShowsItsColours) {
    THost host;
    HWND button = host.Button->Handle();
    // Inside the face, clear of the caption; and on the left edge.
    const auto face = [&] { return test::PixelAt(button, 6, 16); };
    const auto edge = [&] { return test::PixelAt(button, 0, 16); };
    host.Other->SetEnabled(true);
    ::SetFocus(host.Other->Handle());
    EXPECT_EQ(face(), kWhite) << "normal: an unfilled face";
    EXPECT_EQ(edge(), kAccent) << "normal: the accent border";
    EXPECT_EQ(test::PixelAt(button, 0, 0), kWhite) << "the corner is round";

    ::SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(host.Button->Hot());
    EXPECT_EQ(face(), kLight) << "hot";
    ::SendMessageW(button, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(face(), kWhite) << "the mouse left";

    ::SendMessageW(button, BM_SETSTATE, TRUE, 0);
    EXPECT_EQ(face(), kAccent) << "pressed";
    ::SendMessageW(button, BM_SETSTATE, FALSE, 0);

    ::SetFocus(button);
    EXPECT_EQ(face(), kLight) << "selected: it has the focus";
    ::SetFocus(host.Other->Handle());

    host.Button->SetDown(true);
    EXPECT_EQ(face(), kAccent) << "shown down";
    host.Button->SetDown(false);

    host.Button->SetEnabled(false);
    EXPECT_EQ(face(), kWhite) << "disabled: unfilled";
    EXPECT_EQ(edge(), RGB(215, 215, 215)) << "disabled: a grey border";
}

// The picture alone, drawn into a bitmap at a DPI.
struct TPicture {
    UniqueBitmap Bitmap;
    std::uint32_t* Bits = nullptr;
    int Width = 0;
    COLORREF At(int X, int Y) const {
        const std::uint32_t pixel = Bits[Y * Width + X];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
};

TPicture Draw(UINT Dpi, TButtonLook Look) {
    TPicture picture;
    picture.Width = Scale(84, Dpi);
    const int height = Scale(33, Dpi);
    void* bits = nullptr;
    picture.Bitmap = CreateArgbBitmap(picture.Width, height, &bits);
    picture.Bits = static_cast<std::uint32_t*>(bits);
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    const TSelectObject selected(dc.get(), picture.Bitmap.get());
    TButtonPaint paint;
    paint.Dc = dc.get();
    paint.Rect = {0, 0, picture.Width, height};
    paint.Text = L"Enable";
    paint.Dpi = Dpi;
    paint.Look = Look;
    PaintStyledButton(paint, {kTamriskFamily, L"Outline", 4, kWhite});
    return picture;
}

TEST_F(StyledButtonTest, TheShapeScalesWithTheDpiAndIsSmooth) {
    int lastCorner = 0;
    for (const UINT dpi : {96u, 144u, 192u}) {
        SCOPED_TRACE(dpi);
        const TPicture down = Draw(dpi, {.Down = true});
        const int height = Scale(33, dpi);
        EXPECT_EQ(down.At(down.Width / 2, height - Scale(4, dpi)), kAccent) << "a filled face";
        EXPECT_EQ(down.At(0, 0), kWhite) << "the corner is cut";
        // Along the rounded corner the edge is blended, not stepped.
        bool blended = false;
        for (int x = 0; x < Scale(4, dpi) && !blended; ++x) {
            const COLORREF c = down.At(x, x / 2);
            blended = c != kWhite && c != kAccent;
        }
        EXPECT_TRUE(blended);
        // The radius grows with the DPI: the corner's white reaches further.
        int corner = 0;
        while (down.At(corner, 0) == kWhite) ++corner;
        EXPECT_GT(corner, lastCorner);
        lastCorner = corner;
        EXPECT_EQ(down.At(0, height / 2), kAccent) << "the side is straight";
    }
    const TPicture focused = Draw(96, {.Focused = true, .ShowFocus = true});
    const TPicture plain = Draw(96, {.Focused = true});
    bool differs = false;
    for (int x = 0; x < focused.Width && !differs; ++x) differs = focused.At(x, 3) != plain.At(x, 3);
    EXPECT_TRUE(differs) << "the keyboard focus is drawn when the keyboard is used";
}

TEST_F(StyledButtonTest, HighContrastTakesTheSystemsColours) {
    const TStyledButtonStates states = HighContrastStates();
    EXPECT_EQ(StateFor(states, {}).ButtonColor, ::GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(StateFor(states, {}).FontColor, ::GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(StateFor(states, {.Down = true}).ButtonColor, ::GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(StateFor(states, {.Down = true}).FontColor, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
    EXPECT_EQ(StateFor(states, {.Disabled = true}).FontColor, ::GetSysColor(COLOR_GRAYTEXT));

    // And the painter uses them while the mode is on.
    HIGHCONTRASTW contrast{sizeof contrast, HCF_HIGHCONTRASTON, nullptr};
    if (!::SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof contrast, &contrast, 0) || !IsHighContrast()) {
        GTEST_SKIP() << "this system cannot switch to high contrast";
    }
    const TPicture picture = Draw(96, {.Down = true});
    contrast.dwFlags = 0;
    ::SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof contrast, &contrast, 0);
    EXPECT_EQ(picture.At(picture.Width / 2, 29), ::GetSysColor(COLOR_HIGHLIGHT));
}

TEST_F(StyledButtonTest, TheStateFollowsTheLookInOrder) {
    const TStyledButtonStates states = ButtonStates(kTamriskFamily, L"Outline");
    EXPECT_EQ(&StateFor(states, {}), &states.Normal);
    EXPECT_EQ(&StateFor(states, {.Focused = true}), &states.Selected);
    EXPECT_EQ(&StateFor(states, {.Hot = true, .Focused = true}), &states.Hot);
    EXPECT_EQ(&StateFor(states, {.Down = true, .Hot = true}), &states.Pressed);
    EXPECT_EQ(&StateFor(states, {.Pressed = true}), &states.Pressed);
    EXPECT_EQ(&StateFor(states, {.Down = true, .Disabled = true}), &states.Disabled);
}

}  // namespace
}  // namespace quillon
