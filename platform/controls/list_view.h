#pragma once
// A report list in virtual mode: the control holds no rows, it asks for
// the text and image of each cell it shows. One row at a time can be
// selected.

#include "platform/controls/control.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

struct TListViewArgs {
    HWND Parent = nullptr;
    std::vector<std::wstring> Columns;
};

// How one cell is drawn: its text colour and font (borrowed).
struct TListCellStyle {
    COLORREF TextColor = CLR_DEFAULT;
    HFONT Font = nullptr;
};

class TListView : public TControl {
public:
    explicit TListView(const TListViewArgs& Args);

    // The text of a cell; the view only has to live until the call returns.
    std::function<std::wstring_view(int Row, int Column)> OnText;
    // The image of a row (column 0).
    std::function<int(int Row)> OnImage;
    // The rows From to To (inclusive) are about to be asked for: the ones
    // coming on screen.
    std::function<void(int From, int To)> OnCacheHint;
    // How a cell is drawn; left alone when not set.
    std::function<void(int Row, int Column, TListCellStyle& Style)> OnCellStyle;
    // A row took the focus, by mouse or keyboard.
    std::function<void(int Row)> OnRowFocused;
    // A row was selected, or the selection went (-1).
    std::function<void(int Row)> OnSelectionChanged;
    std::function<void()> OnClick;
    std::function<void()> OnDblClick;
    std::function<void(WORD Key)> OnKeyDown;
    // The context menu was asked for, at a point on the screen: where the
    // mouse was, or for the keyboard (the menu key, Shift+F10) below the
    // selected row or at the list's corner.
    std::function<void(POINT ScreenPoint)> OnContextMenu;

    // The number of rows changed: rows already shown keep their place.
    void SetRowCount(int Count) const;
    // Everything on screen is asked for again.
    void Redraw() const;
    void SetImageList(HIMAGELIST Images) const;
    void SetColumnWidth(int Column, int Width) const;
    [[nodiscard]] int ColumnWidth(int Column) const;
    [[nodiscard]] int ClientWidth() const;

    [[nodiscard]] int FocusedRow() const;
    [[nodiscard]] int SelectedRow() const;
    // Selects and focuses Row; -1 selects none.
    void SelectRow(int Row) const;
    void ScrollIntoView(int Row) const;

private:
    std::optional<LRESULT> OnNotify(NMHDR& Header) override;
    LRESULT OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) override;
    void GetDispInfo(NMLVDISPINFOW& Info) const;
    LRESULT CustomDraw(NMLVCUSTOMDRAW& Draw) const;
    POINT KeyboardMenuPoint() const;
};

}  // namespace quillon
