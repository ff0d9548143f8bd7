#include "view/autorun_layout.h"

#include "platform/dpi.h"

namespace quillon {
namespace {
constexpr int kBarHeight = 49;
constexpr int kBarPadding = 8;
constexpr int kSwitchWidth = 84;
constexpr RECT kAllListInBar = {2, 16, 2 + 135, 16 + 17};
constexpr int kSourceColumnWidth = 50;
}  // namespace

TAutorunLayout ComputeAutorunLayout(SIZE Frame, UINT Dpi) {
    const int barTop = Frame.cy - Scale(kBarHeight, Dpi);
    TAutorunLayout layout{};
    layout.List = {0, 0, Frame.cx, barTop};
    layout.Bar = {0, barTop, Frame.cx, Frame.cy};
    const RECT box = ScaleRect(kAllListInBar, Dpi);
    layout.AllList = {box.left, barTop + box.top, box.right, barTop + box.bottom};
    layout.Switch = {Frame.cx - Scale(kSwitchWidth, Dpi), barTop + Scale(kBarPadding, Dpi), Frame.cx,
                     Frame.cy - Scale(kBarPadding, Dpi)};
    return layout;
}

int SourceColumnWidth(UINT Dpi) { return Scale(kSourceColumnWidth, Dpi); }

}  // namespace quillon
