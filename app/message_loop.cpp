#include "app/message_loop.h"

namespace quillon {

int RunMessageLoop(HWND Main) {
    MSG msg{};
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (::IsWindow(Main) && ::IsDialogMessageW(Main, &msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

}  // namespace quillon
