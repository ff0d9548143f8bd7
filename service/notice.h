#pragma once
// The update offer and the notice row that the service's reply may carry,
// and where the notice row goes in the update dialog.

#include <windows.h>

#include <string>

namespace quillon {

// The link of the update offer: the reply's "update" value, decoded; empty
// when there is no offer. A value that is not an absolute web address, or
// that cannot be decoded, is no offer either.
std::wstring ReadUpdateLink(const std::wstring& Data);

// The reply's "info" object: everything between "info":{ and the first }.
struct TNotice {
    // "hold" a check box, "note" a link, anything else an empty row, empty
    // no row at all. Compared exactly.
    std::wstring Style;
    // The caption of the check box or the link.
    std::wstring Text;
    // "stayontop" anywhere in it keeps the dialog above other windows.
    std::wstring Flag;
    // What the link opens; only an absolute web address opens anything.
    std::wstring Url;

    [[nodiscard]] bool StaysOnTop() const { return Flag.find(L"stayontop") != std::wstring::npos; }
};

// Each field is empty when the reply lacks it or its value cannot be
// decoded.
TNotice ReadNotice(const std::wstring& Data);

// v pixels at 96 DPI scaled to Dpi the way the dialog's row is placed: by
// the scale factor in whole percent, rounded.
int ScaleByPercent(int Value, UINT Dpi);

// The notice row, from the height of the whole dialog window before the row
// and the layout offset (pixels at 96 DPI). Tops are client coordinates of
// the dialog, counted against the height of the whole window, as the
// offsets were made for.
struct TNoticeRow {
    int WindowHeight = 0;  // the grown height of the whole window
    int SeparatorTop = 0;
    int ControlTop = 0;
    int ControlLeft = 0;
};
TNoticeRow NoticeRowLayout(int WindowHeight, int Offset, UINT Dpi);

}  // namespace quillon
