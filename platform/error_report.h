#pragma once
// The one place an error that escapes an event handler, the message loop or
// a thread ends up: the report (the error, the stack of every thread, the
// failing thread's registers, the modules and the processes) is appended to
// bugreport.txt beside the program and sent to the report address in the
// background, a box tells the user, and the process ends with exit code 1.
// What never reaches a catch block (structured exceptions, std::terminate,
// the C runtime's handlers) takes the same path once crash_handlers.h has
// installed its handlers.

#include <string_view>
#include <utility>

namespace quillon {

// Writes the report, shows the box (once per process), then ends the
// process. Safe to call from any thread at any time; an error raised while
// the box is up only waits for the process to end.
[[noreturn]] void ReportUnhandledError(std::wstring_view Text) noexcept;

// For catch (...) blocks: reports the exception being handled, as TAppError's
// message, a std::exception's what() (UTF-8, else the ANSI code page) or
// "Unknown error".
[[noreturn]] void ReportCurrentException() noexcept;

// Runs fn; any exception leaving it is reported. For thread procedures,
// window procedures and the message loop.
template <typename Fn>
void RunGuarded(Fn&& fn) noexcept {
    try {
        std::forward<Fn>(fn)();
    } catch (...) {
        ReportCurrentException();
    }
}

}  // namespace quillon
