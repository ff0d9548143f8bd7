#pragma once
// Catches what the program's own catch blocks cannot: structured exceptions
// (access violations, stack overflows, division by zero) on any thread,
// std::terminate (an exception that leaves a thread or a noexcept
// function), the C runtime's invalid-parameter and pure-call handlers, a
// pure virtual call in our own code, and abort, and the faults that the
// program's own procedures hand over (platform/fault_hook.h). Each ends in
// the error report (failure_report.h).

namespace quillon {

// Call once, first thing in the program, on its main thread. From then on
// the fault hook leads to the error report too.
void InstallCrashHandlers() noexcept;

// The part of InstallCrashHandlers for structured exceptions: the filter
// for unhandled ones, and the first-chance handler for stack overflows.
// Making a report calls it too, before the state of the process is read:
// the thread that reads it relies on the filter to end it alone if it
// faults, and a report can come before InstallCrashHandlers has run. Only
// the first call does anything.
void InstallExceptionFilters() noexcept;

}  // namespace quillon
