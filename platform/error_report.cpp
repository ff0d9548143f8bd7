#include "platform/error_report.h"

#include <windows.h>

#include <string>

#include "platform/error_box.h"
#include "platform/error_report_format.h"
#include "platform/error_reporter.h"
#include "platform/error_text.h"
#include "platform/files.h"

namespace quillon {

namespace {

TErrorReportSeam ProgramSeam() {
    return {
        ReportPathBeside(ModulePath()),
        [](std::wstring_view Text) { ShowErrorBox(Text); },
        [] { ::ExitProcess(1); },
        [] {
            for (;;) ::Sleep(INFINITE);
        },
    };
}

TErrorReporter& ProcessReporter() {
    // Never destroyed, so an error raised while statics are torn down at
    // exit still finds it.
    static TErrorReporter* const kReporter = new TErrorReporter(ProgramSeam());
    return *kReporter;
}

}  // namespace

void ReportUnhandledError(std::wstring_view Text) noexcept {
    ProcessReporter().Report(Text);
    ::ExitProcess(1);  // not reached: the program's seam ends or waits
}

void ReportCurrentException() noexcept {
    std::wstring text;
    try {
        text = CurrentExceptionText();
    } catch (...) {
        ReportUnhandledError(L"Unknown error");
    }
    ReportUnhandledError(text);
}

}  // namespace quillon
