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
#include "view/filter_list.h"
#include "view/refresh.h"
#include "view/row_images.h"

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

    // The main window's filter lists; they must outlive the frame. Set
    // before the first refresh.
    void SetFilterLists(const TFilterList& FileWhite, const TFilterList& NameWhite, const TFilterList& NameBlack);

    // Brings the rows up to date with a fresh inventory: rows keep their
    // place and only take the new state, new entries that pass the filters
    // are appended, rows of vanished entries go. An error of the inventory
    // leaves every row as it was and goes on to the caller.
    void LoadAutorun();

    [[nodiscard]] HWND ListAutorun() const noexcept { return FListAutorun; }
    [[nodiscard]] HWND ChkAllList() const noexcept { return FChkAllList; }
    [[nodiscard]] HWND BtnAutorun() const noexcept { return FBtnAutorun; }
    [[nodiscard]] HMENU Menu() const noexcept { return FMenu.get(); }

    // The inventory of the last refresh, every entry, shown or not.
    TAutorunList AutorunList;
    [[nodiscard]] const TIconCache& IconCache() const noexcept { return FImages.IconCache(); }

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
    // The switch button follows the focused row: pressed for a disabled
    // entry, and its caption offers the opposite of the row's state.
    void ListAutorunClick();
    void BtnAutorunClick();
    void SetSwitchLook(bool Down, bool OffersEnable);
    // F5 and the check box rebuild the list from empty.
    void ReloadFromEmpty();

    UINT FDpi;
    const TUiFonts& FFonts;
    std::vector<TAutorunItem> FRows;
    TRowImages FImages;
    UniqueMenu FMenu;
    HWND FListAutorun = nullptr;
    HWND FChkAllList = nullptr;
    HWND FBtnAutorun = nullptr;
    TFilterLists FFilters;
};

}  // namespace quillon
