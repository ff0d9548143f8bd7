// The main window and the frame lay out at 96 DPI exactly as drawn, and
// every other DPI scales the same picture.
#include "app/main_layout.h"
#include "tests/support/window_test.h"
#include "view/autorun_layout.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

struct MainCase {
    UINT Dpi;
    SIZE Client;
    RECT BtnHome, ImgLogo, Card;
};

TEST(MainLayout, PlacesTheBandTheLogoAndTheCardAtEachDpi) {
    const MainCase cases[] = {
        {96, {412, 432}, {20, 10, 90, 40}, {295, 0, 407, 50}, {8, 50, 404, 432}},
        {144, {618, 648}, {30, 15, 135, 60}, {443, 0, 611, 75}, {12, 75, 606, 648}},
        {192, {824, 864}, {40, 20, 180, 80}, {590, 0, 814, 100}, {16, 100, 808, 864}},
    };
    for (const MainCase& c : cases) {
        SCOPED_TRACE(c.Dpi);
        const TMainLayout layout = ComputeMainLayout(c.Dpi);
        EXPECT_EQ(layout.Client.cx, c.Client.cx);
        EXPECT_EQ(layout.Client.cy, c.Client.cy);
        EXPECT_EQ(layout.BtnHome, c.BtnHome);
        EXPECT_EQ(layout.ImgLogo, c.ImgLogo);
        EXPECT_EQ(layout.Card, c.Card);
    }
}

TEST(AutorunLayout, KeepsTheBarAtTheBottomAndTheButtonAtItsRightEnd) {
    struct Case {
        UINT Dpi;
        SIZE Frame;
        RECT List, AllList, Switch;
    };
    const Case cases[] = {
        {96, {396, 382}, {0, 0, 396, 333}, {2, 349, 137, 366}, {312, 341, 396, 374}},
        {144, {594, 573}, {0, 0, 594, 499}, {3, 523, 206, 549}, {468, 511, 594, 561}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Dpi);
        const TAutorunLayout layout = ComputeAutorunLayout(c.Frame, c.Dpi);
        EXPECT_EQ(layout.List, c.List);
        EXPECT_EQ(layout.AllList, c.AllList);
        EXPECT_EQ(layout.Switch, c.Switch);
        EXPECT_EQ(layout.Bar.bottom, c.Frame.cy);
    }
    EXPECT_EQ(SourceColumnWidth(96), 50);
    EXPECT_EQ(SourceColumnWidth(144), 75);
}

}  // namespace
}  // namespace quillon
