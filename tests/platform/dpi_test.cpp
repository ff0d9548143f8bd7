// The per-monitor DPI functions and what stands in for them where Windows
// lacks them (before Windows 10 1607): the system's DPI, scaled answers.
#include "platform/dpi.h"

#include "tests/support/window_test.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

const TDpiFunctions kWindows7{};

TEST(Dpi, WithoutTheNewFunctionsTheAnswersFollowTheSystemsDpi) {
    ASSERT_TRUE(TDpiFunctions::System().GetDpiForWindow) << "Wine 8 has them, so both ways can be compared";
    ASSERT_EQ(SystemDpi(), 96u) << "the test prefix runs at 96 DPI";

    HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(DpiForWindow(window, kWindows7), 96u);
    EXPECT_EQ(DpiForWindow(window), ::GetDpiForWindow(window));
    ::DestroyWindow(window);

    for (const UINT dpi : {96u, 144u, 192u}) {
        SCOPED_TRACE(dpi);
        for (const int metric : {SM_CXSMICON, SM_CXICON}) {
            EXPECT_EQ(SystemMetricForDpi(metric, dpi, kWindows7), SystemMetricForDpi(metric, dpi));
        }
        LOGFONTW scaled{};
        LOGFONTW real{};
        ASSERT_TRUE(IconTitleFontForDpi(scaled, dpi, kWindows7));
        ASSERT_TRUE(IconTitleFontForDpi(real, dpi));
        EXPECT_EQ(scaled.lfHeight, real.lfHeight);
        EXPECT_STREQ(scaled.lfFaceName, real.lfFaceName);
    }
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT scaled{0, 0, 412, 432};
    RECT real = scaled;
    ASSERT_TRUE(AdjustWindowRectForDpi(scaled, style, 0, 96, kWindows7));
    ASSERT_TRUE(AdjustWindowRectForDpi(real, style, 0, 96));
    EXPECT_EQ(scaled, real);
}

}  // namespace
}  // namespace quillon
