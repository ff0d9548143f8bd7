#include "app/main_window.h"

#include "app/main_layout.h"
#include "app/message_loop.h"
#include "platform/dpi.h"
#include "theme/styled_button.h"
#include "i18n/translation.h"
#include "platform/application.h"
#include "platform/utf8.h"
#include "service/service_address.h"

#include <nlohmann/json.hpp>

#include <utility>

namespace quillon {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;
// The header's tool bar draws its buttons with these corners (at 96 DPI).
constexpr int kBtnHeadRadius = 4;

// The product name, in every language: through both lookups a form's
// caption takes.
std::wstring Caption() { return Translate(TranslateFormCaption(L"Quillon")); }

}  // namespace

TFrmQuillon::TFrmQuillon() {
    CreateFor(L"QuillonMainWindow", kExStyle, kStyle, {0, 0, 0, 0}, nullptr, Caption().c_str());
}

void ApplyLanguageLayout(std::wstring_view Language) {
    ::SetProcessDefaultLayout(IsRightToLeftLanguage(Language) ? LAYOUT_RTL : 0);
}

int RunMainWindow(int CmdShow) {
    TFrmQuillon form;
    // Without its window the program could only wait, unseen, holding the
    // mutex that keeps every later start from running.
    if (!form.Handle()) return 1;
    form.Show(CmdShow);
    return RunMessageLoop(form.Handle());
}

void TFrmQuillon::Show(int CmdShow) {
    ::ShowWindow(Handle(), CmdShow);
    // The list is filled at once with the built-in filter lists: the user
    // came to see it, and the service may be slow or out of reach. Before
    // the first paint, so that it already shows the rows.
    if (std::optional<TCollected> first = FFirstInventory.Take()) {
        FFrmAutorun->LoadAutorun(*std::move(first));
    } else {
        FFrmAutorun->LoadAutorun();
    }
    ::UpdateWindow(Handle());
}

LRESULT TFrmQuillon::OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) {
    switch (Msg) {
    case WM_CREATE:
        FormCreate();
        return 0;
    case WM_DPICHANGED: {
        const RECT& suggested = *reinterpret_cast<const RECT*>(LParam);
        ::SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                       suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        ApplyDpi(HIWORD(WParam));
        return 0;
    }
    case WM_SETTINGCHANGE:
        // The window keeps the desktop's icon-title font as the user changes it.
        if (WParam == SPI_SETICONTITLELOGFONT || WParam == SPI_SETNONCLIENTMETRICS) ApplyFonts();
        if (WParam == SPI_SETHIGHCONTRAST) ApplyPalette();
        break;
    case WM_SYSCOLORCHANGE:
        ApplyPalette();
        break;
    case WM_ERASEBKGND:
        return FillClient(Handle(), reinterpret_cast<HDC>(WParam), FPalette.SurfaceBrush());
    case WM_CLOSE:
        // The application is ending from here on: the request is abandoned
        // and its worker ends while the window is still being taken down.
        FUpdateCheck.Stop();
        break;
    case WM_DESTROY:
        // However the window went, a reply still on its way must find
        // nothing to fill.
        FUpdateCheck.Stop();
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return TWindow::OnMessage(Msg, WParam, LParam);
}

void TFrmQuillon::FormCreate() {
    FThemeHelper = std::make_unique<TThemeHelper>(Handle(), FPalette);
    // The update dialog is titled with it.
    SetApplicationTitle(Caption());
    FDpi = DpiForWindow(Handle());
    PlaceOnMonitor();
    FFonts = TUiFonts(FDpi);

    const TMainLayout layout = Layout();
    // The home button has no action; it only shows where the user is, so it
    // stays pressed, and the bar is left out of the Tab order.
    TToolBarArgs head{Handle(), {Translate(L"처음화면")}};
    head.Background = FPalette.SurfaceBrush();
    FBtnHead = std::make_unique<TToolBar>(head);
    FBtnHead->SetDown(kBtnHome, true);
    FBtnHead->OnPaintButton = [this](const TButtonPaint& Paint) {
        PaintStyledButton(Paint, {kTamriskFamily, L"Header", kBtnHeadRadius, FPalette.Surface()});
    };
    FImgLogo = std::make_unique<TImgLogo>(Handle(), layout.ImgLogo, FPalette);
    // The built-in filter lists; the service's additions join them later.
    LoadFilterList(FileWhite, L"file_white");
    LoadFilterList(NameWhite, L"name_white");
    LoadFilterList(NameBlack, L"name_black");
    FFrmAutorun = std::make_unique<TFrmAutorun>(Handle(), layout.Card, FDpi, FFonts, FPalette);
    FFrmAutorun->SetFilterLists(FileWhite, NameWhite, NameBlack);
    // The frame took the DPI and the fonts as it was made.
    ApplyOwnDpi();
    // The service's answer, when it comes, adds to the filter lists and
    // refreshes the list once more.
    FUpdateCheck = CheckUpdate(
        kServiceEndpointUrl, [this](bool Close, const std::wstring& Reply) { ServiceReply(Close, Reply); },
        kDialogOffset);
}

void TFrmQuillon::ServiceReply(bool Close, const std::wstring& Reply) {
    if (Close) {
        ::SendMessageW(Handle(), WM_CLOSE, 0, 0);
        return;
    }
    // Never throws: text that is no JSON gives a discarded value, which
    // (like any value but an object) merges nothing.
    const nlohmann::json reply = nlohmann::json::parse(Utf8FromWide(Reply), nullptr, false);
    MergeFilterList(FileWhite, reply, "file_white");
    MergeFilterList(NameWhite, reply, "name_white");
    MergeFilterList(NameBlack, reply, "name_black");
    // From empty, so that the additions hide what they name.
    FFrmAutorun->ReloadKeepingSelection();
}

void TFrmQuillon::PlaceOnMonitor() {
    const TMainLayout layout = ComputeMainLayout(FDpi);
    RECT frame{0, 0, layout.Client.cx, layout.Client.cy};
    AdjustWindowRectForDpi(frame, kStyle, kExStyle, FDpi);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const POINT at = CentredOnMonitorOf(Handle(), width, height);
    ::SetWindowPos(Handle(), nullptr, at.x, at.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFrmQuillon::ApplyDpi(UINT Dpi) {
    FDpi = Dpi;
    // The controls still show the old fonts until they are given the new.
    const TUiFonts old = std::exchange(FFonts, TUiFonts(FDpi));
    FFrmAutorun->ApplyDpi(Dpi);
    ApplyOwnDpi();
}

void TFrmQuillon::ApplyOwnDpi() {
    FIconSmall = MakeLogoIcon(SystemMetricForDpi(SM_CXSMICON, FDpi));
    FIconBig = MakeLogoIcon(SystemMetricForDpi(SM_CXICON, FDpi));
    ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(FIconSmall.get()));
    ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(FIconBig.get()));
    FBtnHead->ApplyDpi(FDpi);
    FBtnHead->SetFont(FFonts.Normal());
    LayoutChildren();
}

void TFrmQuillon::ApplyFonts() {
    // The controls still show the old fonts until they are given the new.
    const TUiFonts old = std::exchange(FFonts, TUiFonts(FDpi));
    FBtnHead->SetFont(FFonts.Normal());
    FFrmAutorun->ApplyFonts();
}

void TFrmQuillon::ApplyPalette() {
    FPalette.Rebuild();
    FThemeHelper->ApplyPalette();
    FBtnHead->SetBackground(FPalette.SurfaceBrush());
    FFrmAutorun->ApplyPalette();
    ::RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

TMainLayout TFrmQuillon::Layout() const { return ComputeMainLayout(FDpi, FThemeHelper->LineHeight()); }

void TFrmQuillon::LayoutChildren() {
    // Only once every child exists: the window is sized while it is made.
    if (!FBtnHead || !FImgLogo || !FFrmAutorun) return;
    const TMainLayout layout = Layout();
    FBtnHead->MoveTo(layout.BtnHead);
    MoveWindowTo(FImgLogo->Handle(), layout.ImgLogo);
    MoveWindowTo(FFrmAutorun->Handle(), layout.Card);
}

}  // namespace quillon
