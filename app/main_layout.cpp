#include "app/main_layout.h"

#include "platform/dpi.h"

#include <initializer_list>

namespace quillon {
namespace {
constexpr int kClientWidth = 412;
constexpr int kClientHeight = 432;
constexpr int kHeadHeight = 50;
constexpr int kLogoPanelWidth = 120;
// The tool bar fills the band left of the logo less 10 on every side; its
// one button sits at the bar's indent of 10.
constexpr int kBarMargin = 10;
constexpr int kButtonIndent = 10;
constexpr SIZE kButton = {70, 30};
constexpr POINT kLogoInPanel = {3, 0};
constexpr SIZE kLogo = {112, 50};
constexpr int kCardPadding = 8;
}  // namespace

TMainLayout ComputeMainLayout(UINT Dpi, int Top) {
    constexpr int kLogoPanelLeft = kClientWidth - kLogoPanelWidth;
    constexpr int kButtonLeft = kBarMargin + kButtonIndent;
    constexpr int kLogoLeft = kLogoPanelLeft + kLogoInPanel.x;
    TMainLayout layout{};
    layout.Client = {Scale(kClientWidth, Dpi), Scale(kClientHeight, Dpi)};
    layout.Head = ScaleRect({0, 0, kClientWidth, kHeadHeight}, Dpi);
    layout.BtnHead = ScaleRect({kBarMargin, kBarMargin, kLogoPanelLeft - kBarMargin, kHeadHeight - kBarMargin}, Dpi);
    layout.BtnHome = ScaleRect({kButtonLeft, kBarMargin, kButtonLeft + kButton.cx, kBarMargin + kButton.cy}, Dpi);
    layout.ImgLogo = ScaleRect({kLogoLeft, kLogoInPanel.y, kLogoLeft + kLogo.cx, kLogoInPanel.y + kLogo.cy}, Dpi);
    layout.Card = ScaleRect({kCardPadding, kHeadHeight, kClientWidth - kCardPadding, kClientHeight}, Dpi);
    // Everything below the accent line; the card gives up what the line takes.
    for (RECT* part : {&layout.Head, &layout.BtnHead, &layout.BtnHome, &layout.ImgLogo}) ::OffsetRect(part, 0, Top);
    layout.Card.top += Top;
    return layout;
}

}  // namespace quillon
