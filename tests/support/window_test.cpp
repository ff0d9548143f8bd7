#include "tests/support/window_test.h"

#include "i18n/translation.h"
#include "platform/folders.h"
#include "theme/button_styles.h"

namespace quillon::test {

void WindowTest::SetUpTestSuite() {
    // What the entry point prepares before the first window.
    InitFolderVariables();
    InitTranslation();
    RegisterTamriskButtonFamily();
}

std::wstring WindowText(HWND Wnd) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(Wnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(Wnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

RECT RectInParent(HWND Wnd) {
    RECT rect{};
    ::GetWindowRect(Wnd, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(Wnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void PumpMessages() {
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& Done, std::chrono::milliseconds Timeout) {
    const auto until = std::chrono::steady_clock::now() + Timeout;
    while (!Done()) {
        if (std::chrono::steady_clock::now() >= until) return Done();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

COLORREF PixelAt(HWND Wnd, int X, int Y) {
    ::RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const HDC dc = ::GetDC(Wnd);
    const COLORREF colour = ::GetPixel(dc, X, Y);
    ::ReleaseDC(Wnd, dc);
    return colour;
}

void PumpFor(std::chrono::milliseconds Time) {
    PumpUntil([] { return false; }, Time);
}

}  // namespace quillon::test
