#include "theme/theme_helper.h"

#include "platform/dpi.h"
#include "platform/errors.h"
#include "platform/gdi_scope.h"

#include <commctrl.h>
#include <dwmapi.h>

namespace quillon {
namespace {

constexpr UINT_PTR kSubclassId = 0x7468656D;  // one helper per window
// Windows 10 (20H1) and 11 know it; others ignore it.
constexpr DWORD kUseImmersiveDarkMode = 20;

bool HasBorder(HWND Form) {
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(Form, GWL_STYLE));
    return (style & (WS_CAPTION | WS_THICKFRAME | WS_BORDER | WS_DLGFRAME)) != 0;
}

}  // namespace

// The line itself: a plain filled rectangle.
class TThemeHelper::TAccentLine final : public TWindow {
public:
    explicit TAccentLine(HWND Parent) {
        CreateFor(L"QuillonAccentLine", 0, WS_CHILD | WS_CLIPSIBLINGS, {0, 0, 0, 0}, Parent);
    }

    void SetColor(COLORREF Color) {
        if (Color == FColor) return;
        FColor = Color;
        ::InvalidateRect(Handle(), nullptr, FALSE);
    }

private:
    LRESULT OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) override {
        if (Msg == WM_ERASEBKGND) return 1;
        if (Msg != WM_PAINT) return TWindow::OnMessage(Msg, WParam, LParam);
        const TPaintScope paint(Handle());
        RECT client{};
        ::GetClientRect(Handle(), &client);
        const UniqueBrush fill(::CreateSolidBrush(FColor));
        ::FillRect(paint.Dc(), &client, fill.get());
        return 0;
    }

    COLORREF FColor = CLR_INVALID;
};

TThemeHelper::TThemeHelper(HWND Owner, const TPalette& Palette) : FForm(Owner), FPalette(Palette) {
    const bool isForm = Owner && ::IsWindow(Owner) && !(::GetWindowLongPtrW(Owner, GWL_STYLE) & WS_CHILD);
    if (!isForm) throw TAppError(L"TThemeHelper Owner must be a TForm");
    FDpi = DpiForWindow(FForm);
    BOOL dark = TRUE;
    Absorb(::DwmSetWindowAttribute(FForm, kUseImmersiveDarkMode, &dark, sizeof dark));
    FShape = std::make_unique<TAccentLine>(FForm);
    // Above every other child: content docked at the top comes below it.
    ::SetWindowPos(FShape->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SetWindowSubclass(FForm, &TThemeHelper::FormWindowProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    UpdateShape();
}

TThemeHelper::~TThemeHelper() {
    if (::IsWindow(FForm)) ::RemoveWindowSubclass(FForm, &TThemeHelper::FormWindowProc, kSubclassId);
}

HWND TThemeHelper::Line() const noexcept { return FShape->Handle(); }

int TThemeHelper::LineHeight() const { return HasBorder(FForm) ? Scale(kAccentLineHeight, FDpi) : 0; }

void TThemeHelper::UpdateShape() {
    FShape->SetColor(FIsActive ? FPalette.Accent() : FPalette.GrayText());
    RECT client{};
    ::GetClientRect(FForm, &client);
    ::SetWindowPos(FShape->Handle(), HWND_TOP, 0, 0, client.right, LineHeight(),
                   SWP_NOACTIVATE | (HasBorder(FForm) ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

LRESULT CALLBACK TThemeHelper::FormWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT_PTR,
                                              DWORD_PTR Self) {
    auto* helper = reinterpret_cast<TThemeHelper*>(Self);
    // The window is told its new DPI before it takes its new size.
    if (Msg == WM_DPICHANGED) helper->FDpi = HIWORD(WParam);
    if (Msg == WM_SIZE) helper->UpdateShape();
    if (Msg == WM_ACTIVATE) {
        helper->FIsActive = LOWORD(WParam) != WA_INACTIVE;
        helper->UpdateShape();
    }
    if (Msg == WM_NCDESTROY) ::RemoveWindowSubclass(Wnd, &TThemeHelper::FormWindowProc, kSubclassId);
    // Every message, these two included, goes on to the window's own handling.
    return ::DefSubclassProc(Wnd, Msg, WParam, LParam);
}

}  // namespace quillon
