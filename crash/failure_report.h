#pragma once
// Making the report of a failure: the state of the process is read, the
// error put into words, and the report handed to the process's one error
// reporter (error_reporter.h), which files and sends it, shows the box and
// ends the process. Neither function returns.

#include <windows.h>

#include <string_view>

namespace quillon {

// Reports Text as a failure of the calling thread, whose registers and
// stack are those of the caller.
[[noreturn]] void ReportFailureHere(std::wstring_view Text) noexcept;

// Reports a structured exception of thread ThreadId. That thread holds
// still until the process ends: it is the caller, or it waits in its
// exception filter while another thread reports for it.
[[noreturn]] void ReportStructuredException(const EXCEPTION_POINTERS& Pointers, DWORD ThreadId) noexcept;

}  // namespace quillon
