#include "service/update_dialog.h"

#include "i18n/translation.h"
#include "platform/application.h"
#include "platform/command_line.h"
#include "platform/controls/button.h"
#include "platform/controls/check_box.h"
#include "platform/controls/label.h"
#include "platform/dpi.h"
#include "platform/gdi_scope.h"
#include "platform/ui_fonts.h"
#include "platform/unique_handle.h"
#include "platform/window.h"
#include "service/notice.h"
#include "service/service_request.h"
#include "service/update_text.h"
#include "service/web_link.h"
#include "theme/palette.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace quillon {
namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// The message dialog's layout at 96 DPI: the warning icon at the top left,
// the message beside it, the buttons below on the right.
constexpr int kMargin = 16;
constexpr int kIconGap = 12;
constexpr int kMaxTextWidth = 440;
constexpr int kButtonGap = 20;
constexpr int kButtonMinWidth = 88;
constexpr int kButtonPadding = 12;
constexpr int kButtonHeight = 26;
constexpr int kButtonSpacing = 8;
constexpr int kBottomMargin = 14;
constexpr int kCheckBoxHeight = 17;
// Room beyond the measured width of a text: drawn into exactly its own
// width, a wrapped text can lose its last letter.
constexpr int kTextSlack = 4;
constexpr COLORREF kSeparatorColor = RGB(0xCC, 0xCC, 0xCC);
constexpr COLORREF kLinkColor = RGB(0x00, 0x00, 0xFF);

BOOL CALLBACK AddEnabledWindow(HWND Wnd, LPARAM Windows) {
    if (::IsWindowVisible(Wnd) && ::IsWindowEnabled(Wnd)) reinterpret_cast<std::vector<HWND>*>(Windows)->push_back(Wnd);
    return TRUE;
}

// The windows of this thread that a modal dialog must keep the user from.
std::vector<HWND> EnabledThreadWindows() {
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), &AddEnabledWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// The window the dialog is shown over: the active one, else the first
// window of this thread that the user can see.
HWND OwnerWindow() {
    if (HWND active = ::GetActiveWindow()) return active;
    const std::vector<HWND> windows = EnabledThreadWindows();
    return windows.empty() ? nullptr : windows.front();
}

SIZE TextExtent(HDC Dc, const std::wstring& Text) {
    RECT rect{};
    ::DrawTextW(Dc, Text.c_str(), static_cast<int>(Text.size()), &rect, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

class TUpdateDialog final : public TWindow {
public:
    TUpdateDialog(HWND Owner, TNotice Notice, int Offset)
        : FNotice(std::move(Notice)), FOffset(Offset), FSeparator(::CreateSolidBrush(kSeparatorColor)) {
        // Created on the owner's monitor, so that it takes that monitor's
        // DPI before it is laid out.
        const POINT centre = CentredOnMonitorOf(Owner, 0, 0);
        DWORD exStyle = kExStyle | (FNotice.StaysOnTop() ? WS_EX_TOPMOST : 0);
        // The process's default layout reaches only windows made without an
        // owner: a mirrored program mirrors its dialog itself.
        if (DWORD layout = 0; ::GetProcessDefaultLayout(&layout) && (layout & LAYOUT_RTL)) exStyle |= WS_EX_LAYOUTRTL;
        CreateFor(kUpdateDialogClass, exStyle, kStyle, {centre.x, centre.y, centre.x + 1, centre.y + 1}, Owner,
                  Translate(ApplicationTitle()).c_str());
        if (!Handle()) return;
        FLblMessage = std::make_unique<TLabel>(TLabelArgs{Handle(), UpdateText(kUpdateMessage), FPalette.Text(),
                                                          FPalette.SurfaceBrush(), FPalette.Surface()});
        FBtnYes = std::make_unique<TButton>(TButtonArgs{Handle(), UpdateText(kUpdateYes)});
        FBtnNo = std::make_unique<TButton>(TButtonArgs{Handle(), UpdateText(kUpdateNo)});
        FBtnYes->SetDefault(true);
        FBtnYes->OnClick = [this] { Finish(true); };
        FBtnNo->OnClick = [this] { Finish(false); };
        if (FNotice.Style == L"hold") {
            FChkHold = std::make_unique<TCheckBox>(
                TCheckBoxArgs{Handle(), FNotice.Text, FPalette.SurfaceBrush(), FPalette.Surface()});
            FChkHold->OnClick = [this] { FHold = FChkHold->Checked(); };
        } else if (FNotice.Style == L"note") {
            FLnkNote = std::make_unique<TLabel>(
                TLabelArgs{Handle(), FNotice.Text, kLinkColor, FPalette.SurfaceBrush(), FPalette.Surface(), true});
            // The dialog stays open: the user may read the note first.
            FLnkNote->OnClick = [url = FNotice.Url] {
                if (IsWebAddress(url)) ShellOpen(url);
            };
        }
        ApplyDpi(DpiForWindow(Handle()), nullptr);
    }

    // Shows the dialog and runs its own message loop until it is answered
    // or destroyed (its owner went). True for Yes.
    bool ShowModal() {
        if (!Handle()) return false;
        const std::vector<HWND> disabled = EnabledThreadWindows();
        for (HWND window : disabled) ::EnableWindow(window, FALSE);
        ::ShowWindow(Handle(), SW_SHOWNORMAL);
        ::SetFocus(FBtnYes->Handle());
        MSG msg{};
        while (!FAnswer && Handle()) {
            const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
            if (got <= 0) {
                // The loop that waits outside must see the quit as well.
                if (got == 0) ::PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (!HandleKey(msg) && !::IsDialogMessageW(Handle(), &msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
            FollowFocus();
        }
        // The windows come back before the dialog goes, so that the one it
        // was shown over takes the activation back.
        for (auto window = disabled.rbegin(); window != disabled.rend(); ++window) ::EnableWindow(*window, TRUE);
        return FAnswer.value_or(false);
    }

    [[nodiscard]] bool HoldTicked() const noexcept { return FHold; }

private:
    LRESULT OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) override {
        switch (Msg) {
        case WM_PAINT:
            Paint();
            return 0;
        case WM_ERASEBKGND:
            return FillClient(Handle(), reinterpret_cast<HDC>(WParam), FPalette.SurfaceBrush());
        case WM_CLOSE:
            Finish(false);
            return 0;
        case WM_ACTIVATE:
            // Back from another window, the focus returns to where it was.
            if (LOWORD(WParam) != WA_INACTIVE && FBtnYes) {
                ::SetFocus(::IsWindow(FFocus) ? FFocus : FBtnYes->Handle());
                return 0;
            }
            if (HWND focus = ::GetFocus(); focus && ::IsChild(Handle(), focus)) FFocus = focus;
            break;
        case WM_DPICHANGED:
            ApplyDpi(HIWORD(WParam), reinterpret_cast<const RECT*>(LParam));
            return 0;
        default:
            break;
        }
        return TWindow::OnMessage(Msg, WParam, LParam);
    }

    void Finish(bool Yes) {
        if (!FAnswer) FAnswer = Yes;
    }

    // Escape is No; Enter presses No when No has the focus, else Yes.
    bool HandleKey(const MSG& Msg) {
        if (Msg.message != WM_KEYDOWN || (Msg.hwnd != Handle() && !::IsChild(Handle(), Msg.hwnd))) return false;
        if (Msg.wParam == VK_ESCAPE) {
            Finish(false);
            return true;
        }
        if (Msg.wParam == VK_RETURN) {
            Finish(::GetFocus() != FBtnNo->Handle());
            return true;
        }
        return false;
    }

    // The button that Enter presses shows the default look.
    void FollowFocus() {
        if (!Handle()) return;
        const bool noFocused = ::GetFocus() == FBtnNo->Handle();
        if (noFocused == FNoIsDefault) return;
        FNoIsDefault = noFocused;
        FBtnYes->SetDefault(!noFocused);
        FBtnNo->SetDefault(noFocused);
    }

    void ApplyDpi(UINT Dpi, const RECT* Suggested) {
        FDpi = Dpi;
        LOGFONTW logFont = MessageLogFont(Dpi);
        UniqueFont font(::CreateFontIndirectW(&logFont));
        logFont.lfUnderline = TRUE;
        UniqueFont linkFont(::CreateFontIndirectW(&logFont));
        const int iconSize = SystemMetricForDpi(SM_CXICON, Dpi);
        FIcon.reset(static_cast<HICON>(::LoadImageW(nullptr, IDI_WARNING, IMAGE_ICON, iconSize, iconSize, 0)));

        // The controls take the new fonts before the old ones are deleted.
        for (TControl* control : {static_cast<TControl*>(FLblMessage.get()), static_cast<TControl*>(FBtnYes.get()),
                                  static_cast<TControl*>(FBtnNo.get()), static_cast<TControl*>(FChkHold.get())}) {
            if (control) control->SetFont(font.get());
        }
        if (FLnkNote) FLnkNote->SetFont(linkFont.get());
        FFont = std::move(font);
        FLinkFont = std::move(linkFont);
        Layout(Suggested);
    }

    void Layout(const RECT* Suggested) {
        const int margin = Scale(kMargin, FDpi);
        const int iconSize = SystemMetricForDpi(SM_CXICON, FDpi);
        const HDC dc = ::GetDC(Handle());
        const std::wstring message = FLblMessage->Text();
        RECT text{0, 0, Scale(kMaxTextWidth, FDpi), 0};
        SIZE link{};
        int buttonWidth = 0;
        {
            const TSelectObject font(dc, FFont.get());
            ::DrawTextW(dc, message.c_str(), static_cast<int>(message.size()), &text,
                        DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
            text.right += Scale(kTextSlack, FDpi);
            const int captions =
                static_cast<int>(std::max(TextExtent(dc, FBtnYes->Text()).cx, TextExtent(dc, FBtnNo->Text()).cx));
            buttonWidth = std::max(Scale(kButtonMinWidth, FDpi), captions + 2 * Scale(kButtonPadding, FDpi));
        }
        if (FLnkNote) {
            const TSelectObject font(dc, FLinkFont.get());
            link = TextExtent(dc, FNotice.Text);
            link.cx += Scale(kTextSlack, FDpi);
        }
        ::ReleaseDC(Handle(), dc);

        FIconRect = {margin, margin, margin + iconSize, margin + iconSize};
        const int textLeft = margin + iconSize + Scale(kIconGap, FDpi);
        const int textTop = margin + std::max(0, static_cast<int>(iconSize - text.bottom) / 2);
        const RECT textRect{textLeft, textTop, textLeft + text.right, textTop + text.bottom};
        FLblMessage->MoveTo(textRect);
        const int buttonHeight = Scale(kButtonHeight, FDpi);
        const int buttonsTop = margin + std::max(iconSize, static_cast<int>(text.bottom)) + Scale(kButtonGap, FDpi);
        const int spacing = Scale(kButtonSpacing, FDpi);
        const int clientWidth =
            std::max(static_cast<int>(textRect.right) + margin, 2 * buttonWidth + spacing + 2 * margin);
        const int clientHeight = buttonsTop + buttonHeight + Scale(kBottomMargin, FDpi);
        const RECT no{clientWidth - margin - buttonWidth, buttonsTop, clientWidth - margin, buttonsTop + buttonHeight};
        FBtnNo->MoveTo(no);
        FBtnYes->MoveTo({no.left - spacing - buttonWidth, no.top, no.left - spacing, no.bottom});

        RECT frame{0, 0, clientWidth, clientHeight};
        AdjustWindowRectForDpi(frame, kStyle, kExStyle, FDpi);
        const int width = frame.right - frame.left;
        int height = frame.bottom - frame.top;
        FSeparatorTop.reset();
        if (!FNotice.Style.empty()) {
            const TNoticeRow row = NoticeRowLayout(height, FOffset, FDpi);
            height = row.WindowHeight;
            FSeparatorTop = row.SeparatorTop;
            if (FChkHold) {
                FChkHold->MoveTo({row.ControlLeft, row.ControlTop, clientWidth,
                                  row.ControlTop + ScaleByPercent(kCheckBoxHeight, FDpi)});
            }
            if (FLnkNote)
                FLnkNote->MoveTo(
                    {row.ControlLeft, row.ControlTop, row.ControlLeft + link.cx, row.ControlTop + link.cy});
        }

        POINT topLeft{};
        if (Suggested) {
            topLeft = {Suggested->left, Suggested->top};
        } else {
            topLeft = CentredOnMonitorOf(Handle(), width, height);
        }
        ::SetWindowPos(Handle(), nullptr, topLeft.x, topLeft.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
        ::InvalidateRect(Handle(), nullptr, TRUE);
    }

    void Paint() {
        const TPaintScope paint(Handle());
        const HDC dc = paint.Dc();
        ::DrawIconEx(dc, FIconRect.left, FIconRect.top, FIcon.get(), FIconRect.right - FIconRect.left,
                     FIconRect.bottom - FIconRect.top, 0, nullptr, DI_NORMAL);
        if (FSeparatorTop) {
            RECT client{};
            ::GetClientRect(Handle(), &client);
            const RECT line{0, *FSeparatorTop, client.right, *FSeparatorTop + 1};
            ::FillRect(dc, &line, FSeparator.get());
        }
    }

    TNotice FNotice;
    int FOffset;
    TPalette FPalette;
    UniqueBrush FSeparator;
    UINT FDpi = kDefaultDpi;
    UniqueFont FFont;
    UniqueFont FLinkFont;
    UniqueIcon FIcon;
    RECT FIconRect{};
    std::optional<int> FSeparatorTop;
    std::unique_ptr<TLabel> FLblMessage;
    std::unique_ptr<TButton> FBtnYes;
    std::unique_ptr<TButton> FBtnNo;
    std::unique_ptr<TCheckBox> FChkHold;
    std::unique_ptr<TLabel> FLnkNote;
    HWND FFocus = nullptr;
    bool FNoIsDefault = false;
    bool FHold = false;
    std::optional<bool> FAnswer;
};

}  // namespace

bool UpdateDialog(const std::wstring& Data, const TUpdateDialogArgs& Args) {
    bool yes = false;
    bool hold = false;
    {
        TUpdateDialog dialog(OwnerWindow(), ReadNotice(Data), Args.DialogOffset);
        yes = dialog.ShowModal();
        hold = dialog.HoldTicked();
    }
    if (hold) StartHoldRequest(Args.EndpointUrl);
    return yes;
}

}  // namespace quillon
