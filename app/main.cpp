// Quillon's entry point: one copy at a time, one main window, one loop.

#include "app/main_window.h"
#include "app/message_loop.h"
#include "app/single_instance.h"
#include "platform/crash_handlers.h"
#include "platform/error_report.h"
#include "i18n/translation.h"
#include "platform/folders.h"
#include "platform/gdiplus_session.h"

#include <commctrl.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int CmdShow) {
    using namespace quillon;
    // Before anything can fail: whatever fails from here on ends in the
    // error report.
    InstallCrashHandlers();
    // A second copy leaves at once, without a word.
    if (AnotherCopyRuns()) return 0;
    ClaimSingleInstance();

    // Read-only after this point, so any thread may use them.
    InitFolderVariables();
    InitTranslation();

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    TGdiplusSession gdiplus;
    RunGuarded([CmdShow] {
        TFrmQuillon form;
        form.Show(CmdShow);
        RunMessageLoop(form.Handle());
    });
    return 0;
}
