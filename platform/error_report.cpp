#include "platform/error_report.h"

#include <string>

#include "platform/error_text.h"
#include "platform/failure_report.h"

namespace quillon {

void ReportUnhandledError(std::wstring_view Text) noexcept { ReportFailureHere(Text); }

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
