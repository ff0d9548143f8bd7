#include "platform/controls/list_view.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <windowsx.h>

#include <cwchar>

namespace quillon {
namespace {

void CopyCellText(std::wstring_view Text, NMLVDISPINFOW& Info) {
    if (!Info.item.pszText || Info.item.cchTextMax <= 0) return;
    const std::size_t room = static_cast<std::size_t>(Info.item.cchTextMax) - 1;
    const std::size_t count = Text.size() < room ? Text.size() : room;
    std::wmemcpy(Info.item.pszText, Text.data(), count);
    Info.item.pszText[count] = L'\0';
}

}  // namespace

TListView::TListView(const TListViewArgs& Args) {
    // The list never owns row memory (owner data) nor the image list (shared).
    Create({WC_LISTVIEWW, L"",
            WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER |
                LVS_SHAREIMAGELISTS,
            0, Args.Parent});
    // Double-buffered against flicker; but a mirrored list drawn through the
    // buffer comes out with its text reversed on some systems (Wine), so a
    // right-to-left list draws directly.
    const bool mirrored = (::GetWindowLongPtrW(Handle(), GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    ListView_SetExtendedListViewStyle(Handle(), LVS_EX_FULLROWSELECT | (mirrored ? 0 : LVS_EX_DOUBLEBUFFER));
    ::SetWindowTheme(Handle(), L"Explorer", nullptr);
    ::SendMessageW(Handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    for (int i = 0; i < static_cast<int>(Args.Columns.size()); ++i) {
        std::wstring caption = Args.Columns[static_cast<std::size_t>(i)];
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_SUBITEM;
        column.pszText = caption.data();
        column.iSubItem = i;
        ListView_InsertColumn(Handle(), i, &column);
    }
}

void TListView::SetRowCount(int Count) const {
    // The same count again would only have the list recompute its scroll
    // bar, which Wine repaints there and then.
    if (ListView_GetItemCount(Handle()) == Count) return;
    ListView_SetItemCountEx(Handle(), Count, LVSICF_NOINVALIDATEALL);
}

void TListView::Redraw() const { ::InvalidateRect(Handle(), nullptr, FALSE); }

void TListView::SetImageList(HIMAGELIST Images) const { ListView_SetImageList(Handle(), Images, LVSIL_SMALL); }

void TListView::SetColumnWidth(int Column, int Width) const { ListView_SetColumnWidth(Handle(), Column, Width); }

int TListView::ColumnWidth(int Column) const { return ListView_GetColumnWidth(Handle(), Column); }

int TListView::ClientWidth() const {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    return client.right;
}

int TListView::FocusedRow() const { return ListView_GetNextItem(Handle(), -1, LVNI_FOCUSED); }

int TListView::SelectedRow() const { return ListView_GetNextItem(Handle(), -1, LVNI_SELECTED); }

void TListView::SelectRow(int Row) const {
    ListView_SetItemState(Handle(), -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    if (Row >= 0) ListView_SetItemState(Handle(), Row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void TListView::ScrollIntoView(int Row) const { ListView_EnsureVisible(Handle(), Row, FALSE); }

std::optional<LRESULT> TListView::OnNotify(NMHDR& Header) {
    switch (Header.code) {
    case LVN_GETDISPINFOW:
        GetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(&Header));
        return 0;
    case LVN_ODCACHEHINT: {
        const auto& hint = *reinterpret_cast<const NMLVCACHEHINT*>(&Header);
        if (OnCacheHint) OnCacheHint(hint.iFrom, hint.iTo);
        return 0;
    }
    case LVN_ITEMCHANGED: {
        const auto& change = *reinterpret_cast<const NMLISTVIEW*>(&Header);
        const bool focused = (change.uNewState & LVIS_FOCUSED) && !(change.uOldState & LVIS_FOCUSED);
        if (focused && change.iItem >= 0 && OnRowFocused) OnRowFocused(change.iItem);
        // An owner-data list reports a change of many rows as row -1, with
        // states that need not say what changed: ask the list itself.
        if ((change.uChanged & LVIF_STATE) && OnSelectionChanged) OnSelectionChanged(SelectedRow());
        return 0;
    }
    case NM_CLICK:
        if (OnClick) OnClick();
        return 0;
    case NM_DBLCLK:
        if (OnDblClick) OnDblClick();
        return 0;
    case LVN_KEYDOWN:
        if (OnKeyDown) OnKeyDown(reinterpret_cast<const NMLVKEYDOWN*>(&Header)->wVKey);
        return 0;
    case NM_CUSTOMDRAW:
        return CustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(&Header));
    default:
        return std::nullopt;
    }
}

void TListView::GetDispInfo(NMLVDISPINFOW& Info) const {
    const int row = Info.item.iItem;
    if (row < 0) return;
    if ((Info.item.mask & LVIF_TEXT) && OnText) CopyCellText(OnText(row, Info.item.iSubItem), Info);
    if ((Info.item.mask & LVIF_IMAGE) && Info.item.iSubItem == 0 && OnImage) Info.item.iImage = OnImage(row);
}

LRESULT TListView::CustomDraw(NMLVCUSTOMDRAW& Draw) const {
    if (!OnCellStyle) return CDRF_DODEFAULT;
    switch (Draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        TListCellStyle style;
        OnCellStyle(static_cast<int>(Draw.nmcd.dwItemSpec), Draw.iSubItem, style);
        if (style.TextColor != CLR_DEFAULT) Draw.clrText = style.TextColor;
        if (!style.Font) return CDRF_DODEFAULT;
        // The list restores its own font after the cell.
        ::SelectObject(Draw.nmcd.hdc, style.Font);
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

LRESULT TListView::OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg != WM_CONTEXTMENU || !OnContextMenu) return DefaultMessage(Msg, WParam, LParam);
    // From the keyboard the point is (-1, -1).
    const bool fromKeyboard = GET_X_LPARAM(LParam) == -1 && GET_Y_LPARAM(LParam) == -1;
    OnContextMenu(fromKeyboard ? KeyboardMenuPoint() : POINT{GET_X_LPARAM(LParam), GET_Y_LPARAM(LParam)});
    return 0;
}

POINT TListView::KeyboardMenuPoint() const {
    POINT at{0, 0};
    RECT row{};
    const int selected = SelectedRow();
    if (selected >= 0 && ListView_GetItemRect(Handle(), selected, &row, LVIR_LABEL)) {
        at = {row.left, row.bottom};
    } else if (HWND header = ListView_GetHeader(Handle())) {
        // The list's corner below the column headers.
        RECT headerRect{};
        ::GetWindowRect(header, &headerRect);
        at.y = headerRect.bottom - headerRect.top;
    }
    ::ClientToScreen(Handle(), &at);
    return at;
}

}  // namespace quillon
