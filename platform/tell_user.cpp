#include "platform/tell_user.h"

#include "platform/application.h"
#include "platform/fault_hook.h"

namespace quillon {
namespace {

// The user-interface thread is the only one that tells the user anything.
bool GTelling = false;

}  // namespace

void TellUser(HWND Wnd, const TAppError& Error) noexcept {
    if (GTelling) return;
    GTelling = true;
    const HWND owner = Wnd ? ::GetAncestor(Wnd, GA_ROOT) : nullptr;
    ::MessageBoxW(owner, Error.Message().c_str(), ApplicationTitle().c_str(), MB_OK | MB_ICONERROR);
    GTelling = false;
}

LRESULT TellOrReportCurrentException(HWND Wnd) noexcept {
    try {
        throw;
    } catch (const TAppError& error) {
        TellUser(Wnd, error);
        return 0;
    } catch (...) {
        ReportCurrentException();
    }
}

}  // namespace quillon
