#pragma once
// The frame that fills the main window's card: the list of start-up
// entries, and below it a bar with the "all programs" check box and the
// switch button. It owns the inventory and the row images that the list's
// refresh works with.

#include "autorun/autorun_info.h"
#include "autorun/background_collection.h"
#include "platform/errors.h"
#include "platform/controls/button.h"
#include "platform/controls/check_box.h"
#include "platform/controls/list_view.h"
#include "platform/controls/popup_menu.h"
#include "platform/ui_fonts.h"
#include "platform/window.h"
#include "theme/palette.h"
#include "view/autorun_item.h"
#include "view/filter_list.h"
#include "view/refresh.h"
#include "view/row_details.h"
#include "view/row_images.h"

#include <memory>
#include <optional>
#include <vector>

namespace quillon {

class TFrmAutorun final : public TWindow {
public:
    // Creates the frame as a child of Parent at Rect. Fonts and palette
    // belong to the caller and must outlive the frame.
    TFrmAutorun(HWND Parent, const RECT& Rect, UINT Dpi, const TUiFonts& Fonts, const TPalette& Palette);

    // The parent moved to a monitor with another DPI and made new fonts.
    void ApplyDpi(UINT Dpi);
    // The fonts were made anew (the desktop's font changed).
    void ApplyFonts();
    // The palette was read anew (the colour scheme changed).
    void ApplyPalette();

    // The rows shown; call RowsChanged after changing them.
    [[nodiscard]] std::vector<TAutorunItem>& Rows() noexcept { return FRows; }
    void RowsChanged();

    // The main window's filter lists; they must outlive the frame. Set
    // before the first refresh.
    void SetFilterLists(const TFilterList& FileWhite, const TFilterList& NameWhite, const TFilterList& NameBlack);

    // Saves the inventory of the last refresh to a file the user chooses. A
    // file that cannot be written is named in a box with the reason; the
    // program goes on.
    void BtnSaveClick();

    // Brings the rows up to date with a fresh inventory: rows keep their
    // place and only take the new state, new entries that pass the filters
    // are appended, rows of vanished entries go. A source that fails is
    // told to the user in one box, once the rows show what the other
    // sources found.
    void LoadAutorun();
    // The same with an inventory gathered beforehand (the first one of the
    // run, gathered while the window was made); a refresh asked for
    // meanwhile gathers its own.
    void LoadAutorun(TCollected Collected);
    // Rebuilds the rows from empty, so the filter lists apply to every
    // entry anew (the service has added to them); the selected entry stays
    // selected where it stands then. Nobody asked for this refresh, so a
    // failure the user was told of at the last one is not told again.
    void ReloadKeepingSelection();

    [[nodiscard]] TListView& ListAutorun() noexcept { return *FListAutorun; }
    [[nodiscard]] TCheckBox& ChkAllList() noexcept { return *FChkAllList; }
    [[nodiscard]] TButton& BtnAutorun() noexcept { return *FBtnAutorun; }
    [[nodiscard]] const TPopupMenu& Menu() const noexcept { return FMenu; }
    [[nodiscard]] const TIconCache& IconCache() const noexcept { return FImages.IconCache(); }

    // The inventory of the last refresh, every entry, shown or not.
    TAutorunList AutorunList;

private:
    LRESULT OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) override;
    void WireEvents();
    void Layout();
    void FitProgramColumn();

    // The row at Row, or null outside the rows.
    [[nodiscard]] const TAutorunItem* RowAt(int Row) const;
    // A row about to be shown, with its product name and icon read.
    TAutorunItem* ShownRow(int Row);
    // The list's cells: the display text and the source, grey for an entry
    // that is switched off, the source in a monospaced face.
    std::wstring_view ListAutorunGetText(int Row, int Column);
    void ListAutorunPaintText(int Row, int Column, TListCellStyle& Style) const;
    // The switch button follows the focused row: pressed for a disabled
    // entry, and its caption offers the opposite of the row's state.
    void ListAutorunClick(int Row);
    // Opens the web page about the focused row's entry.
    void ListAutorunDblClick() const;
    void ListAutorunKeyDown(WORD Key);
    void BtnAutorunClick();
    void SetSwitchLook(bool Down, bool OffersEnable);
    // The switch acts on the selected row only: without one it is off.
    void UpdateSwitchEnabled();
    // F5 and the check box rebuild the list from empty.
    void ReloadFromEmpty();
    // The row of the entry that was selected before a refresh, selected
    // again where it stands now, or no selection when it has gone. The
    // switch button keeps describing that entry.
    void ReselectAfterRefresh(const std::optional<TAutorunItem>& Selected);
    [[nodiscard]] std::optional<TAutorunItem> SelectedItem() const;
    // Whether a failure of the sources is told when it is the one told at
    // the last refresh.
    enum class TTell { Always, WhenNew };
    // Refreshes, and then selects Selected's row where it stands.
    void Refresh(std::optional<TAutorunItem> Selected, TTell Tell, std::optional<TCollected> Collected = {});
    [[nodiscard]] std::optional<TAppError> RefreshOnce(const std::optional<TAutorunItem>& Selected,
                                                       std::optional<TCollected>& Collected);

    UINT FDpi;
    const TUiFonts& FFonts;
    const TPalette& FPalette;
    std::vector<TAutorunItem> FRows;
    TRowImages FImages;
    TRowDetails FDetails;
    // Made once the frame's window exists, their parent.
    std::unique_ptr<TListView> FListAutorun;
    std::unique_ptr<TCheckBox> FChkAllList;
    std::unique_ptr<TButton> FBtnAutorun;
    TPopupMenu FMenu;
    TFilterLists FFilters;
    bool FSwitching = false;
    bool FReselecting = false;
    bool FRefreshing = false;
    bool FRefreshAgain = false;
    // The failure told at the last refresh; empty when it had none.
    std::wstring FLastTold;
};

}  // namespace quillon
