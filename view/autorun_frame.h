#pragma once
// The frame that fills the main window's card: the list of start-up
// entries, and below it a bar with the "all programs" check box and the
// switch button. It owns the inventory and the icon cache that the list's
// refresh works with.

#include "autorun/autorun_info.h"
#include "platform/ui_fonts.h"
#include "platform/unique_handle.h"
#include "platform/window.h"
#include "view/autorun_item.h"

#include <vector>

namespace quillon {

class TFrmAutorun final : public TWindow {
public:
    // Creates the frame as a child of Parent at Rect. Fonts belong to the
    // caller and must outlive the frame.
    TFrmAutorun(HWND Parent, const RECT& Rect, UINT Dpi, const TUiFonts& Fonts);

    // The parent moved to a monitor with another DPI and rebuilt the fonts.
    void ApplyDpi(UINT Dpi);
    // The fonts were rebuilt (the desktop's font changed).
    void ApplyFonts();

    // The rows shown; call RowsChanged after changing them.
    [[nodiscard]] std::vector<TAutorunItem>& Rows() noexcept { return FRows; }
    void RowsChanged();

    [[nodiscard]] HWND ListAutorun() const noexcept { return FListAutorun; }
    [[nodiscard]] HWND ChkAllList() const noexcept { return FChkAllList; }
    [[nodiscard]] HWND BtnAutorun() const noexcept { return FBtnAutorun; }
    [[nodiscard]] HMENU Menu() const noexcept { return FMenu.get(); }

    TAutorunList AutorunList;
    TIconCache IconCache;

private:
    LRESULT OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) override;
    void CreateControls();
    void CreateColumns();
    void Layout();
    void FitProgramColumn();
    LRESULT OnNotify(const NMHDR& Header);
    // Opens the web page about the focused row's entry.
    void ListAutorunDblClick() const;
    void ListAutorunGetDispInfo(NMLVDISPINFOW& Info) const;
    LRESULT ListAutorunCustomDraw(NMLVCUSTOMDRAW& Draw) const;
    void ShowMenu(LPARAM ScreenPoint);

    UINT FDpi;
    const TUiFonts& FFonts;
    std::vector<TAutorunItem> FRows;
    UniqueImageList FListIcon;
    UniqueMenu FMenu;
    HWND FListAutorun = nullptr;
    HWND FChkAllList = nullptr;
    HWND FBtnAutorun = nullptr;
};

}  // namespace quillon
