#pragma once
// A fault of the program itself - an exception that no code expected,
// caught at a window procedure, a control's procedure, the message loop or
// a thread's procedure - is handed on to the crash report, which the entry
// point installs. Code below the entry point only hands it over, so none of
// it needs to know how a crash is reported.
//
// A TAppError is not a fault: it is a failure the user is told of, and the
// program goes on (tell_user.h).

#include <string_view>
#include <utility>

namespace quillon {

// Must not return: it ends the process.
using TFaultHandler = void (*)(std::wstring_view Text) noexcept;

// Installed once by the entry point before anything can fail.
void SetFaultHandler(TFaultHandler Handler) noexcept;

// Hands Text to the installed handler. Without one (a test program that
// installs no crash report) the text goes to the standard error stream and
// the debugger, and the process ends with exit code 3.
[[noreturn]] void ReportFault(std::wstring_view Text) noexcept;

// For catch (...) blocks: reports the exception being handled, by its text
// (error_text.h).
[[noreturn]] void ReportCurrentException() noexcept;

// Runs Fn; any exception leaving it is a fault. For thread procedures and
// the message loop, where nobody is there to be told of a TAppError.
template <typename TFn>
void RunGuarded(TFn&& Fn) noexcept {
    try {
        std::forward<TFn>(Fn)();
    } catch (...) {
        ReportCurrentException();
    }
}

}  // namespace quillon
