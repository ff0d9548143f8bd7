#pragma once
// Quillon's main window: a header band with the home button and the logo,
// and below it the card that the autorun list frame fills.

#include "app/logo.h"
#include "platform/ui_fonts.h"
#include "platform/unique_handle.h"
#include "platform/window.h"
#include "view/autorun_frame.h"
#include "view/filter_list.h"

#include <memory>

namespace quillon {

class TFrmQuillon final : public TWindow {
public:
    // Creates the window hidden, sized for its monitor's DPI and centred on
    // that monitor's work area.
    TFrmQuillon();

    void Show(int CmdShow);

    // The filter lists, owned here and lent to the frame, which goes first.
    TFilterList FileWhite;
    TFilterList NameWhite;
    TFilterList NameBlack;

    [[nodiscard]] TFrmAutorun& FrmAutorun() noexcept { return *FFrmAutorun; }
    [[nodiscard]] HWND BtnHome() const noexcept { return FBtnHome; }
    [[nodiscard]] HWND ImgLogo() const noexcept { return FImgLogo->Handle(); }

private:
    LRESULT OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) override;
    void FormCreate();
    void PlaceOnMonitor();
    void ApplyDpi(UINT Dpi);
    void ApplyFonts();
    void LayoutChildren();

    UINT FDpi = 96;
    TUiFonts FFonts;
    UniqueIcon FIconSmall;
    UniqueIcon FIconBig;
    HWND FBtnHome = nullptr;
    std::unique_ptr<TImgLogo> FImgLogo;
    std::unique_ptr<TFrmAutorun> FFrmAutorun;
};

}  // namespace quillon
