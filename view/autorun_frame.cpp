#include "view/autorun_frame.h"

#include "autorun/collect.h"
#include "autorun/switching.h"
#include "i18n/translation.h"
#include "platform/command_line.h"
#include "platform/errors.h"
#include "platform/scope_exit.h"
#include "platform/tell_user.h"
#include "theme/styled_button.h"
#include "view/autorun_layout.h"
#include "view/entry_page.h"
#include "view/export.h"

#include <algorithm>
#include <utility>

namespace quillon {
namespace {

// The switch button's corners, at 96 DPI.
constexpr int kSwitchRadius = 4;

}  // namespace

TFrmAutorun::TFrmAutorun(HWND Parent, const RECT& Rect, UINT Dpi, const TUiFonts& Fonts, const TPalette& Palette)
    : FDpi(Dpi), FFonts(Fonts), FPalette(Palette), FImages(Dpi) {
    CreateFor(L"QuillonAutorunFrame", WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, Rect, Parent);
    FListAutorun =
        std::make_unique<TListView>(TListViewArgs{Handle(), {Translate(L"프로그램 이름"), Translate(L"출처")}});
    FChkAllList = std::make_unique<TCheckBox>(
        TCheckBoxArgs{Handle(), Translate(L"전체목록"), FPalette.SurfaceBrush(), FPalette.Surface()});
    FBtnAutorun = std::make_unique<TButton>(TButtonArgs{
        Handle(), Translate(L"사용안함"), /*Toggle=*/true, /*TabStop=*/true, [this](const TButtonPaint& Paint) {
            PaintStyledButton(Paint, {kTamriskFamily, L"Outline", kSwitchRadius, FPalette.Surface()});
        }});
    FMenu.Add(Translate(L"목록 저장"), [this] { BtnSaveClick(); });
    WireEvents();
    UpdateSwitchEnabled();
    ApplyDpi(Dpi);
}

void TFrmAutorun::WireEvents() {
    TListView& list = *FListAutorun;
    list.OnText = [this](int Row, int Column) { return ListAutorunGetText(Row, Column); };
    list.OnImage = [this](int Row) {
        const TAutorunItem* row = ShownRow(Row);
        return row ? row->Icon : 0;
    };
    list.OnCacheHint = [this](int From, int To) {
        for (int row = From; row <= To; ++row) ShownRow(row);
    };
    list.OnCellStyle = [this](int Row, int Column, TListCellStyle& Style) { ListAutorunPaintText(Row, Column, Style); };
    // Mouse clicks and the keyboard both move the focus.
    list.OnRowFocused = [this](int Row) {
        if (!FReselecting) ListAutorunClick(Row);
    };
    list.OnSelectionChanged = [this](int) { UpdateSwitchEnabled(); };
    list.OnClick = [this] { ListAutorunClick(FListAutorun->FocusedRow()); };
    list.OnDblClick = [this] { ListAutorunDblClick(); };
    list.OnKeyDown = [this](WORD Key) { ListAutorunKeyDown(Key); };
    list.OnContextMenu = [this](POINT At) { FMenu.Show(Handle(), At); };
    FChkAllList->OnClick = [this] { ReloadFromEmpty(); };
    FBtnAutorun->OnClick = [this] { BtnAutorunClick(); };
}

void TFrmAutorun::ApplyDpi(UINT Dpi) {
    FDpi = Dpi;
    // The image list sets the row height, so it is rebuilt for every DPI;
    // the old one goes only once the list shows the new one.
    UniqueImageList old;
    if (Dpi != FImages.Dpi()) old = FImages.SetDpi(Dpi);
    FListAutorun->SetImageList(FImages.Handle());
    ApplyFonts();
}

void TFrmAutorun::ApplyFonts() {
    FListAutorun->SetFont(FFonts.Normal());
    FChkAllList->SetFont(FFonts.Normal());
    FBtnAutorun->SetFont(FFonts.Normal());
    Layout();
}

void TFrmAutorun::ApplyPalette() {
    // The main window repaints itself and every child once all have theirs.
    FChkAllList->SetBackground(FPalette.SurfaceBrush(), FPalette.Surface());
}

void TFrmAutorun::Layout() {
    // The frame is sized while it is made, before its controls exist.
    if (!FListAutorun) return;
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const TAutorunLayout layout = ComputeAutorunLayout({client.right, client.bottom}, FDpi);
    FListAutorun->MoveTo(layout.List);
    FChkAllList->MoveTo(layout.AllList);
    FBtnAutorun->MoveTo(layout.Switch);
    FitProgramColumn();
}

void TFrmAutorun::FitProgramColumn() {
    // The program column takes whatever the source column and a vertical
    // scroll bar leave over.
    const int source = SourceColumnWidth(FDpi);
    FListAutorun->SetColumnWidth(1, source);
    const int rest = FListAutorun->ClientWidth() - source;
    FListAutorun->SetColumnWidth(0, rest > 0 ? rest : 0);
}

void TFrmAutorun::SetFilterLists(const TFilterList& FileWhite, const TFilterList& NameWhite,
                                 const TFilterList& NameBlack) {
    FFilters = {&FileWhite, &NameWhite, &NameBlack};
}

void TFrmAutorun::LoadAutorun() { Refresh(SelectedItem(), TTell::Always); }

void TFrmAutorun::LoadAutorun(TCollected Collected) { Refresh(SelectedItem(), TTell::Always, std::move(Collected)); }

void TFrmAutorun::ReloadKeepingSelection() {
    std::optional<TAutorunItem> selected = SelectedItem();
    FRows.clear();
    Refresh(std::move(selected), TTell::WhenNew);
}

std::optional<TAutorunItem> TFrmAutorun::SelectedItem() const {
    // The list keeps its selection by position, and rows above it may go.
    if (const TAutorunItem* selected = RowAt(FListAutorun->SelectedRow())) return *selected;
    return std::nullopt;
}

void TFrmAutorun::Refresh(std::optional<TAutorunItem> Selected, TTell Tell, std::optional<TCollected> Collected) {
    // A message taken during a wait inside a refresh (the service's reply,
    // a box's message loop) can ask for another: it runs once this one is
    // done, never inside it.
    if (FRefreshing) {
        FRefreshAgain = true;
        return;
    }
    std::optional<TAppError> failure;
    {
        FRefreshing = true;
        const auto refreshed = ScopeExit([this] { FRefreshing = false; });
        for (;;) {
            FRefreshAgain = false;
            failure = RefreshOnce(Selected, Collected);
            if (!FRefreshAgain) break;
            Selected = SelectedItem();
        }
    }
    // Told once the rows show what the other sources found, and outside the
    // refresh: the box's message loop may ask for the next one.
    if (!failure) {
        FLastTold.clear();
        return;
    }
    if (Tell == TTell::WhenNew && failure->Message() == FLastTold) return;
    FLastTold = failure->Message();
    TellUser(Handle(), *failure);
}

std::optional<TAppError> TFrmAutorun::RefreshOnce(const std::optional<TAutorunItem>& Selected,
                                                  std::optional<TCollected>& Collected) {
    std::optional<TAppError> failure;
    if (Collected) {
        AutorunList = std::move(Collected->List);
        failure = std::move(Collected->Failure);
        Collected.reset();
    } else {
        failure = CollectAutoruns(AutorunList);
    }
    FDetails.BeginRefresh();
    RefreshRows(FRows, AutorunList, FChkAllList->Checked(), FFilters);
    RowsChanged();
    ReselectAfterRefresh(Selected);
    return failure;
}

void TFrmAutorun::ReselectAfterRefresh(const std::optional<TAutorunItem>& Selected) {
    int row = -1;
    if (Selected) {
        // The merge keeps a row only where an entry has exactly its key.
        const auto found = std::find_if(FRows.begin(), FRows.end(), [&](const TAutorunItem& Row) {
            return Row.From == Selected->From && Row.Target == Selected->Target;
        });
        if (found != FRows.end()) row = static_cast<int>(found - FRows.begin());
    }
    FReselecting = true;
    FListAutorun->SelectRow(row);
    FReselecting = false;
    UpdateSwitchEnabled();
}

void TFrmAutorun::UpdateSwitchEnabled() { FBtnAutorun->SetEnabled(!FSwitching && FListAutorun->SelectedRow() >= 0); }

void TFrmAutorun::RowsChanged() {
    FListAutorun->SetRowCount(static_cast<int>(FRows.size()));
    FListAutorun->Redraw();
    FitProgramColumn();
}

LRESULT TFrmAutorun::OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
    switch (Msg) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_CTLCOLORBTN:
        // Behind the switch button's rounded corners.
        return reinterpret_cast<LRESULT>(FPalette.SurfaceBrush());
    case WM_ERASEBKGND:
        return FillClient(Handle(), reinterpret_cast<HDC>(WParam), FPalette.SurfaceBrush());
    default:
        return TWindow::OnMessage(Msg, WParam, LParam);
    }
}

const TAutorunItem* TFrmAutorun::RowAt(int Row) const {
    if (Row < 0 || static_cast<std::size_t>(Row) >= FRows.size()) return nullptr;
    return &FRows[static_cast<std::size_t>(Row)];
}

TAutorunItem* TFrmAutorun::ShownRow(int Row) {
    if (!RowAt(Row)) return nullptr;
    TAutorunItem& row = FRows[static_cast<std::size_t>(Row)];
    FDetails.Complete(row, FImages);
    return &row;
}

std::wstring_view TFrmAutorun::ListAutorunGetText(int Row, int Column) {
    const TAutorunItem* row = ShownRow(Row);
    if (!row) return {};
    if (Column == 0) return row->FileName;
    if (Column == 1) return row->From;
    return {};
}

void TFrmAutorun::ListAutorunPaintText(int Row, int Column, TListCellStyle& Style) const {
    const TAutorunItem* row = RowAt(Row);
    const bool enabled = !row || row->Enabled;
    Style.TextColor = enabled ? FPalette.Text() : FPalette.GrayText();
    // The source column is a short code; a monospaced face lines it up.
    Style.Font = Column == 1 ? FFonts.Mono() : FFonts.Normal();
}

void TFrmAutorun::ListAutorunClick(int Row) {
    const TAutorunItem* row = RowAt(Row);
    if (!row) return;
    SetSwitchLook(!row->Enabled, !row->Enabled);
}

void TFrmAutorun::SetSwitchLook(bool Down, bool OffersEnable) {
    FBtnAutorun->SetDown(Down);
    FBtnAutorun->SetText(Translate(OffersEnable ? L"사용함" : L"사용안함"));
}

void TFrmAutorun::BtnAutorunClick() {
    FSwitching = true;
    UpdateSwitchEnabled();
    const auto switched = ScopeExit([this] {
        FSwitching = false;
        UpdateSwitchEnabled();
    });
    if (const TAutorunItem* selected = RowAt(FListAutorun->SelectedRow())) {
        // A copy: a reply taken while the switch waits may refresh the rows.
        const TAutorunItem row = *selected;
        try {
            SetAutorunState(row.Kind, row.Target, !row.Enabled);
        } catch (const TAppError& error) {
            // Told first; the refresh below then shows the entry as it
            // really is.
            TellUser(Handle(), error);
        }
        // The caption offers the opposite of the state just asked for.
        SetSwitchLook(row.Enabled, row.Enabled);
    }
    LoadAutorun();
}

void TFrmAutorun::BtnSaveClick() {
    const HWND owner = ::GetAncestor(Handle(), GA_ROOT);
    const std::optional<std::wstring> path = AskExportFileName(owner);
    if (!path) return;
    try {
        SaveAutorunList(*path, AutorunList);
    } catch (const TAppError& error) {
        // A folder that refuses the file is no reason to end the session.
        TellUser(owner, error);
    }
}

void TFrmAutorun::ListAutorunKeyDown(WORD Key) {
    // F5 with any modifier keys.
    if (Key == VK_F5) ReloadFromEmpty();
}

void TFrmAutorun::ReloadFromEmpty() {
    // Rebuilt from empty, the list starts at its top without a selection.
    // Its row count is left as it is until the new rows are in: taking it
    // to zero first would hide the scroll bar only to show it again, and
    // under Wine that pair costs some 30 ms, a fifth of a refresh of
    // 1,000 rows.
    FListAutorun->SelectRow(-1);
    FListAutorun->ScrollIntoView(0);
    FRows.clear();
    Refresh(std::nullopt, TTell::Always);
}

void TFrmAutorun::ListAutorunDblClick() const {
    if (const TAutorunItem* row = RowAt(FListAutorun->FocusedRow())) ShellOpen(EntryPageUrl(row->From, row->Target));
}

}  // namespace quillon
