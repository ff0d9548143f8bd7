// Quillon's entry point: one copy at a time, one main window, one loop.

#include "app/main_window.h"
#include "app/single_instance.h"
#include "crash/crash_handlers.h"
#include "platform/application.h"
#include "platform/fault_hook.h"
#include "i18n/translation.h"
#include "platform/folders.h"
#include "platform/gdiplus_session.h"
#include "theme/button_styles.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int CmdShow) {
    using namespace quillon;
    // Before anything can fail: whatever fails from here on ends in the
    // error report.
    InstallCrashHandlers();
    // Before any thread starts: the service is told this flag.
    SetReportLeaksAtExit(true);
    // A second copy leaves at once, without a word.
    if (AnotherCopyRuns() || !ClaimSingleInstance()) return 0;

    // Read-only after this point, so any thread may use them.
    InitFolderVariables();
    InitTranslation();
    RegisterTamriskButtonFamily();
    ApplyLanguageLayout(CurrentLanguage());

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    TGdiplusSession gdiplus;
    int exitCode = 0;
    RunGuarded([CmdShow, &exitCode] { exitCode = RunMainWindow(CmdShow); });
    return exitCode;
}
