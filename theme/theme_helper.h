#pragma once
// The main window's look: a dark title bar, and a thin line along the top
// of its client area in the accent colour while the window is active and in
// the system's grey-text colour while another window is. The helper sees
// the window's messages before the window's own handling (a subclass) and
// gives the window its previous handler back when it goes.

#include "platform/window.h"
#include "theme/palette.h"

#include <memory>

namespace quillon {

class TThemeHelper {
public:
    // Owner must be a top-level window, a form: TAppError "TThemeHelper
    // Owner must be a TForm" otherwise, and nothing is changed.
    TThemeHelper(HWND Owner, const TPalette& Palette);
    ~TThemeHelper();
    TThemeHelper(const TThemeHelper&) = delete;
    TThemeHelper& operator=(const TThemeHelper&) = delete;

    // The height the line takes at the window's DPI; 0 while it is hidden
    // (a window without a border shows none). Content goes below it.
    [[nodiscard]] int LineHeight() const;
    [[nodiscard]] bool IsActive() const noexcept { return FIsActive; }
    [[nodiscard]] HWND Line() const noexcept;
    // The palette's colours changed.
    void ApplyPalette() { UpdateShape(); }

private:
    class TAccentLine;

    static LRESULT CALLBACK FormWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT_PTR Id,
                                           DWORD_PTR Self);
    // Colours the line by the activation state, shows it only for a window
    // with a border, and stretches it across the client area.
    void UpdateShape();

    HWND FForm;
    const TPalette& FPalette;
    bool FIsActive = true;
    UINT FDpi;
    std::unique_ptr<TAccentLine> FShape;
};

// The line's height at 96 DPI.
inline constexpr int kAccentLineHeight = 2;

}  // namespace quillon
