// The main window's accent line and title bar helper on real windows: the
// line's colour read from the screen in each activation state, its place,
// and the window's own handling before, during and after the helper.
#include "theme/theme_helper.h"

#include "platform/errors.h"
#include "tests/support/window_test.h"

#include <gtest/gtest.h>

#include <memory>

namespace quillon {
namespace {

// A top-level window that counts what reaches its own handling.
class TCountingForm final : public TWindow {
public:
    explicit TCountingForm(DWORD Style = WS_OVERLAPPEDWINDOW) {
        CreateFor(L"QuillonThemeTestForm", 0, Style | WS_VISIBLE, {100, 100, 500, 400}, nullptr, L"Theme test");
    }
    int Activations = 0;
    int Sizes = 0;

private:
    LRESULT OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) override {
        if (Msg == WM_ACTIVATE) ++Activations;
        if (Msg == WM_SIZE) ++Sizes;
        return TWindow::OnMessage(Msg, WParam, LParam);
    }
};

COLORREF ColourAtTop(HWND Form, int X, int Y = 0) { return test::PixelAt(Form, X, Y); }

class ThemeHelperTest : public test::WindowTest {
protected:
    TPalette FPalette;
};

TEST_F(ThemeHelperTest, TheLineIsBlueWhileActiveAndGreyWhileNot) {
    TCountingForm form;
    TThemeHelper helper(form.Handle(), FPalette);
    const COLORREF blue = RGB(61, 132, 221);
    const COLORREF grey = ::GetSysColor(COLOR_GRAYTEXT);
    ASSERT_NE(blue, grey);
    EXPECT_TRUE(helper.IsActive()) << "blue from the start, before any activation";
    EXPECT_EQ(ColourAtTop(form.Handle(), 50), blue);
    EXPECT_EQ(ColourAtTop(form.Handle(), 50, 1), blue) << "two pixels high";
    EXPECT_NE(ColourAtTop(form.Handle(), 50, 2), blue);

    const int activations = form.Activations;
    ::SendMessageW(form.Handle(), WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
    EXPECT_EQ(ColourAtTop(form.Handle(), 50), grey);
    ::SendMessageW(form.Handle(), WM_ACTIVATE, MAKEWPARAM(WA_CLICKACTIVE, 0), 0);
    EXPECT_EQ(ColourAtTop(form.Handle(), 50), blue);
    EXPECT_EQ(form.Activations, activations + 2) << "the window's own handling saw both";

    // Another window taking the activation, as the system does it.
    TCountingForm other;
    ::SetActiveWindow(other.Handle());
    test::PumpMessages();
    EXPECT_FALSE(helper.IsActive());
    EXPECT_EQ(ColourAtTop(form.Handle(), 50), grey);
    ::SetActiveWindow(form.Handle());
    test::PumpMessages();
    EXPECT_EQ(ColourAtTop(form.Handle(), 50), blue);

    // A new size stretches the line and keeps its colour.
    const int sizes = form.Sizes;
    ::SetWindowPos(form.Handle(), nullptr, 0, 0, 600, 300, SWP_NOMOVE | SWP_NOZORDER);
    RECT client{};
    ::GetClientRect(form.Handle(), &client);
    RECT line{};
    ::GetWindowRect(helper.Line(), &line);
    EXPECT_EQ(line.right - line.left, client.right);
    EXPECT_EQ(ColourAtTop(form.Handle(), client.right - 3), blue);
    EXPECT_GT(form.Sizes, sizes);
}

TEST_F(ThemeHelperTest, AWindowWithoutABorderShowsNoLine) {
    TCountingForm form(WS_POPUP);
    const TThemeHelper helper(form.Handle(), FPalette);
    EXPECT_FALSE(::IsWindowVisible(helper.Line()));
    EXPECT_EQ(helper.LineHeight(), 0);
}

TEST_F(ThemeHelperTest, GivesTheWindowItsHandlerBackWhenItGoes) {
    TCountingForm form;
    const LONG_PTR before = ::GetWindowLongPtrW(form.Handle(), GWLP_WNDPROC);
    {
        const TThemeHelper helper(form.Handle(), FPalette);
        EXPECT_NE(::GetWindowLongPtrW(form.Handle(), GWLP_WNDPROC), before);
    }
    EXPECT_EQ(::GetWindowLongPtrW(form.Handle(), GWLP_WNDPROC), before);
    const int activations = form.Activations;
    ::SendMessageW(form.Handle(), WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
    EXPECT_EQ(form.Activations, activations + 1);
}

TEST_F(ThemeHelperTest, OnlyAFormCanHaveOne) {
    TCountingForm form;
    const HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, form.Handle(), nullptr,
                                         ::GetModuleHandleW(nullptr), nullptr);
    for (const HWND owner : {child, static_cast<HWND>(nullptr)}) {
        try {
            TThemeHelper helper(owner, FPalette);
            ADD_FAILURE() << "a helper was made for something that is not a form";
        } catch (const TAppError& error) {
            EXPECT_EQ(error.Message(), L"TThemeHelper Owner must be a TForm");
        }
    }
}

}  // namespace
}  // namespace quillon
