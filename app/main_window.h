#pragma once
// Quillon's main window: a header band with the tool bar of the home button
// and the logo, and below it the card that the autorun list frame fills.

#include "app/logo.h"
#include "app/main_layout.h"
#include "autorun/background_collection.h"
#include "platform/controls/tool_bar.h"
#include "platform/ui_fonts.h"
#include "platform/unique_handle.h"
#include "platform/window.h"
#include "service/update_check.h"
#include "theme/palette.h"
#include "theme/theme_helper.h"
#include "view/autorun_frame.h"
#include "view/filter_list.h"

#include <memory>
#include <string>

namespace quillon {

class TFrmQuillon final : public TWindow {
public:
    // Creates the window hidden, sized for its monitor's DPI and centred on
    // that monitor's work area.
    TFrmQuillon();

    // Shows the window with its list filled.
    void Show(int CmdShow);

    // The filter lists, owned here and lent to the frame, which goes first.
    TFilterList FileWhite;
    TFilterList NameWhite;
    TFilterList NameBlack;

    [[nodiscard]] TFrmAutorun& FrmAutorun() noexcept { return *FFrmAutorun; }
    [[nodiscard]] TToolBar& BtnHead() noexcept { return *FBtnHead; }
    [[nodiscard]] HWND ImgLogo() const noexcept { return FImgLogo->Handle(); }
    [[nodiscard]] const TThemeHelper& ThemeHelper() const noexcept { return *FThemeHelper; }

    // The home button: the only button of the header's tool bar.
    static constexpr int kBtnHome = 0;
    // Pixels at 96 DPI by which the update dialog's notice row sits lower.
    static constexpr int kDialogOffset = 10;

private:
    LRESULT OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) override;
    void FormCreate();
    void PlaceOnMonitor();
    void ApplyDpi(UINT Dpi);
    // The window's icons, the header bar and the children's places at FDpi,
    // with the fonts of FFonts.
    void ApplyOwnDpi();
    // New fonts go to every control before the old ones are deleted.
    void ApplyFonts();
    void LayoutChildren();
    [[nodiscard]] TMainLayout Layout() const;
    // The colours changed (scheme, contrast): read them anew and repaint.
    void ApplyPalette();
    // The service's reply, or the give-up: close when the user took the
    // update, else the service's additions to the filter lists and the
    // list rebuilt with them.
    void ServiceReply(bool Close, const std::wstring& Reply);

    // First: it gathers the first inventory while the rest is made.
    TBackgroundCollection FFirstInventory;
    UINT FDpi = 96;
    TUiFonts FFonts;
    TPalette FPalette;
    std::unique_ptr<TThemeHelper> FThemeHelper;
    UniqueIcon FIconSmall;
    UniqueIcon FIconBig;
    std::unique_ptr<TToolBar> FBtnHead;
    std::unique_ptr<TImgLogo> FImgLogo;
    std::unique_ptr<TFrmAutorun> FFrmAutorun;
    // Last, so that it goes first: no reply reaches the frame or the lists
    // once they are being released.
    TUpdateCheck FUpdateCheck;
};

// Users of a language written from right to left expect the windows
// mirrored, as Windows mirrors its own: every window, box and dialog made
// after this; every other language keeps the left-to-right layout.
void ApplyLanguageLayout(std::wstring_view Language);

// Creates the main window, shows it and runs the message loop until it has
// closed; returns the exit code: 0, or 1 when the window could not be made.
int RunMainWindow(int CmdShow);

}  // namespace quillon
