#include "view/autorun_frame.h"

#include "autorun/collect.h"
#include "autorun/switching.h"
#include "i18n/translation.h"
#include "platform/command_line.h"
#include "view/autorun_layout.h"
#include "view/list_images.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <windowsx.h>

#include <cwchar>

namespace quillon {
namespace {

constexpr int kIdList = 100;
constexpr int kIdAllList = 101;
constexpr int kIdSwitch = 102;
constexpr UINT kIdSave = 200;

HWND CreateChild(const wchar_t* ClassName, const wchar_t* Text, DWORD Style, HWND Parent, int Id) {
    return ::CreateWindowExW(0, ClassName, Text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | Style, 0, 0, 0, 0, Parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(Id)), ::GetModuleHandleW(nullptr), nullptr);
}

void CopyCellText(const std::wstring& Text, NMLVDISPINFOW& Info) {
    if (!Info.item.pszText || Info.item.cchTextMax <= 0) return;
    const size_t room = static_cast<size_t>(Info.item.cchTextMax) - 1;
    const size_t count = Text.size() < room ? Text.size() : room;
    std::wmemcpy(Info.item.pszText, Text.data(), count);
    Info.item.pszText[count] = L'\0';
}

}  // namespace

TFrmAutorun::TFrmAutorun(HWND Parent, const RECT& Rect, UINT Dpi, const TUiFonts& Fonts)
    : FDpi(Dpi), FFonts(Fonts), FImages(Dpi) {
    CreateFor(L"QuillonAutorunFrame", WS_EX_CONTROLPARENT, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, Rect, Parent);
    CreateControls();
    ApplyDpi(Dpi);
}

void TFrmAutorun::CreateControls() {
    // The list never owns row memory (owner data) nor the image list (shared).
    FListAutorun = CreateChild(
        WC_LISTVIEWW, L"",
        LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS,
        Handle(), kIdList);
    ListView_SetExtendedListViewStyle(FListAutorun, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    ::SetWindowTheme(FListAutorun, L"Explorer", nullptr);
    ::SendMessageW(FListAutorun, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    CreateColumns();

    FChkAllList = CreateChild(WC_BUTTONW, Translate(L"전체목록").c_str(), BS_AUTOCHECKBOX, Handle(), kIdAllList);
    // A push-like check box: it can show the pressed look, and only this
    // frame changes it.
    FBtnAutorun =
        CreateChild(WC_BUTTONW, Translate(L"사용안함").c_str(), BS_PUSHLIKE | BS_CHECKBOX, Handle(), kIdSwitch);

    FMenu.reset(::CreatePopupMenu());
    ::AppendMenuW(FMenu.get(), MF_STRING, kIdSave, Translate(L"목록 저장").c_str());
}

void TFrmAutorun::CreateColumns() {
    const wchar_t* keys[] = {L"프로그램 이름", L"출처"};
    for (int i = 0; i < 2; ++i) {
        std::wstring caption = Translate(keys[i]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_SUBITEM;
        column.pszText = caption.data();
        column.iSubItem = i;
        ListView_InsertColumn(FListAutorun, i, &column);
    }
}

void TFrmAutorun::ApplyDpi(UINT Dpi) {
    FDpi = Dpi;
    // The image list sets the row height, so it is rebuilt for every DPI;
    // the old one goes only once the list shows the new one.
    UniqueImageList old;
    if (Dpi != FImages.Dpi()) old = FImages.SetDpi(Dpi);
    ListView_SetImageList(FListAutorun, FImages.Handle(), LVSIL_SMALL);
    ApplyFonts();
}

void TFrmAutorun::ApplyFonts() {
    for (HWND control : {FListAutorun, FChkAllList, FBtnAutorun}) {
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FFonts.Normal()), TRUE);
    }
    Layout();
}

void TFrmAutorun::Layout() {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const TAutorunLayout layout = ComputeAutorunLayout({client.right, client.bottom}, FDpi);
    MoveWindowTo(FListAutorun, layout.List);
    MoveWindowTo(FChkAllList, layout.AllList);
    MoveWindowTo(FBtnAutorun, layout.Switch);
    FitProgramColumn();
}

void TFrmAutorun::FitProgramColumn() {
    // The program column takes whatever the source column and a vertical
    // scroll bar leave over.
    RECT client{};
    ::GetClientRect(FListAutorun, &client);
    const int source = SourceColumnWidth(FDpi);
    ListView_SetColumnWidth(FListAutorun, 1, source);
    const int rest = client.right - source;
    ListView_SetColumnWidth(FListAutorun, 0, rest > 0 ? rest : 0);
}

void TFrmAutorun::SetFilterLists(const TFilterList& FileWhite, const TFilterList& NameWhite,
                                 const TFilterList& NameBlack) {
    FFilters = {&FileWhite, &NameWhite, &NameBlack};
}

void TFrmAutorun::LoadAutorun() {
    // Raises before any row is touched when a source fails.
    CollectAutoruns(AutorunList);
    const bool showDisabled = ::SendMessageW(FChkAllList, BM_GETCHECK, 0, 0) == BST_CHECKED;
    RefreshRows(FRows, AutorunList, showDisabled, FFilters, FImages);
    RowsChanged();
}

void TFrmAutorun::RowsChanged() {
    ListView_SetItemCountEx(FListAutorun, static_cast<int>(FRows.size()), LVSICF_NOINVALIDATEALL);
    ::InvalidateRect(FListAutorun, nullptr, FALSE);
    FitProgramColumn();
}

LRESULT TFrmAutorun::OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
    switch (Msg) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_NOTIFY:
        return OnNotify(*reinterpret_cast<NMHDR*>(LParam));
    case WM_COMMAND:
        if (HIWORD(WParam) != BN_CLICKED) break;
        if (LOWORD(WParam) == kIdSwitch) BtnAutorunClick();
        if (LOWORD(WParam) == kIdAllList) ReloadFromEmpty();
        return 0;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(WParam) != FListAutorun) break;
        ShowMenu(LParam);
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        // The bar is white like the window; the check box paints on it.
        ::SetBkColor(reinterpret_cast<HDC>(WParam), RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(::GetStockObject(WHITE_BRUSH));
    default:
        break;
    }
    return TWindow::OnMessage(Msg, WParam, LParam);
}

LRESULT TFrmAutorun::OnNotify(const NMHDR& Header) {
    if (Header.hwndFrom != FListAutorun) return 0;
    switch (Header.code) {
    case LVN_GETDISPINFOW:
        ListAutorunGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&Header)));
        return 0;
    case LVN_ITEMCHANGED: {
        // Mouse clicks and the keyboard both move the focus.
        const auto& change = *reinterpret_cast<const NMLISTVIEW*>(&Header);
        if ((change.uNewState & LVIS_FOCUSED) && !(change.uOldState & LVIS_FOCUSED)) ListAutorunClick();
        return 0;
    }
    case NM_CLICK:
        ListAutorunClick();
        return 0;
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN*>(&Header)->wVKey == VK_F5) ReloadFromEmpty();
        return 0;
    case NM_DBLCLK:
        ListAutorunDblClick();
        return 0;
    case NM_CUSTOMDRAW:
        return ListAutorunCustomDraw(*reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&Header)));
    default:
        return 0;
    }
}

void TFrmAutorun::ListAutorunClick() {
    const int focused = ListView_GetNextItem(FListAutorun, -1, LVNI_FOCUSED);
    if (focused < 0 || static_cast<size_t>(focused) >= FRows.size()) return;
    const bool enabled = FRows[static_cast<size_t>(focused)].Enabled;
    SetSwitchLook(!enabled, !enabled);
}

void TFrmAutorun::SetSwitchLook(bool Down, bool OffersEnable) {
    ::SendMessageW(FBtnAutorun, BM_SETCHECK, Down ? BST_CHECKED : BST_UNCHECKED, 0);
    ::SetWindowTextW(FBtnAutorun, Translate(OffersEnable ? L"사용함" : L"사용안함").c_str());
}

void TFrmAutorun::BtnAutorunClick() {
    // Left disabled should the switch or the refresh fail: the error report
    // then ends the program.
    ::EnableWindow(FBtnAutorun, FALSE);
    const int selected = ListView_GetNextItem(FListAutorun, -1, LVNI_SELECTED);
    if (selected >= 0 && static_cast<size_t>(selected) < FRows.size()) {
        const TAutorunItem row = FRows[static_cast<size_t>(selected)];
        SetAutorunState(row.Kind, row.Target, !row.Enabled);
        // The caption offers the opposite of the state just asked for.
        SetSwitchLook(row.Enabled, row.Enabled);
    }
    LoadAutorun();
    ::EnableWindow(FBtnAutorun, TRUE);
}

void TFrmAutorun::ReloadFromEmpty() {
    FRows.clear();
    RowsChanged();
    LoadAutorun();
}

void TFrmAutorun::ListAutorunDblClick() const {
    const int focused = ListView_GetNextItem(FListAutorun, -1, LVNI_FOCUSED);
    if (focused < 0 || static_cast<size_t>(focused) >= FRows.size()) return;
    const TAutorunItem& row = FRows[static_cast<size_t>(focused)];
    ShellOpen(EntryPageUrl(row.From, row.Target));
}

void TFrmAutorun::ListAutorunGetDispInfo(NMLVDISPINFOW& Info) const {
    if (Info.item.iItem < 0 || static_cast<size_t>(Info.item.iItem) >= FRows.size()) return;
    const TAutorunItem& row = FRows[static_cast<size_t>(Info.item.iItem)];
    if (Info.item.mask & LVIF_TEXT) {
        if (Info.item.iSubItem == 0) CopyCellText(row.FileName, Info);
        if (Info.item.iSubItem == 1) CopyCellText(row.From, Info);
    }
    if ((Info.item.mask & LVIF_IMAGE) && Info.item.iSubItem == 0) Info.item.iImage = row.Icon;
}

LRESULT TFrmAutorun::ListAutorunCustomDraw(NMLVCUSTOMDRAW& Draw) const {
    switch (Draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const size_t index = Draw.nmcd.dwItemSpec;
        const bool enabled = index >= FRows.size() || FRows[index].Enabled;
        Draw.clrText = enabled ? ::GetSysColor(COLOR_WINDOWTEXT) : ::GetSysColor(COLOR_GRAYTEXT);
        // The source column is a short code; a monospaced face lines it up.
        ::SelectObject(Draw.nmcd.hdc, Draw.iSubItem == 1 ? FFonts.Mono() : FFonts.Normal());
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

void TFrmAutorun::ShowMenu(LPARAM ScreenPoint) {
    POINT at{GET_X_LPARAM(ScreenPoint), GET_Y_LPARAM(ScreenPoint)};
    if (ScreenPoint == -1) {
        // Opened from the keyboard: below the focused row, or at the list's corner.
        RECT row{};
        const int focused = ListView_GetNextItem(FListAutorun, -1, LVNI_FOCUSED);
        if (focused >= 0 && ListView_GetItemRect(FListAutorun, focused, &row, LVIR_LABEL)) {
            at = {row.left, row.bottom};
        }
        ::ClientToScreen(FListAutorun, &at);
    }
    ::TrackPopupMenu(FMenu.get(), TPM_RIGHTBUTTON, at.x, at.y, 0, Handle(), nullptr);
}

}  // namespace quillon
