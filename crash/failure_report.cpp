#include "crash/failure_report.h"

#include <optional>
#include <string>
#include <vector>

#include "crash/crash_handlers.h"
#include "crash/error_box.h"
#include "crash/error_report_format.h"
#include "crash/error_reporter.h"
#include "crash/error_upload.h"
#include "crash/failure_text.h"
#include "platform/files.h"
#include "crash/process_capture.h"
#include "crash/process_state_text.h"

namespace quillon {

namespace {

// Reading the state takes well under a second; a reading that takes longer
// is stuck on something the failure left behind.
constexpr DWORD kCaptureTimeoutMs = 10000;

// Marks the threads that are making a report. Win32 TLS rather than
// thread_local, whose first use on a thread allocates from a heap that may
// be what failed.
const DWORD kReportingSlot = ::TlsAlloc();

[[noreturn]] void EndProcessNow() noexcept {
    // TerminateProcess rather than ExitProcess: after a crash the loader's
    // lock or a heap's may be held by a thread that never lets go, and
    // ExitProcess would wait on them to run the libraries' detach code.
    ::TerminateProcess(::GetCurrentProcess(), 1);
    for (;;) ::Sleep(INFINITE);  // TerminateProcess does not return for the calling process
}

TErrorReportSeam ProgramSeam() {
    return {
        ReportPathBeside(ModulePath()),
        [](std::wstring_view Text) { ShowErrorBox(Text); },
        [] { EndProcessNow(); },
        [] {
            for (;;) ::Sleep(INFINITE);
        },
        [](std::string_view Report) { return SendErrorReport(Report); },
    };
}

TErrorReporter& ProcessReporter() {
    // Never destroyed, so an error raised while statics are torn down at
    // exit still finds it.
    static TErrorReporter* const kReporter = new TErrorReporter(ProgramSeam());
    return *kReporter;
}

struct TFailure {
    std::wstring_view Text;
    // For a structured exception; Text is not used then.
    const EXCEPTION_RECORD* Exception = nullptr;
    const CONTEXT* Context = nullptr;
    DWORD ThreadId = 0;
};

TErrorReport MakeReport(const TFailure& Failure, const std::optional<TProcessState>& State) {
    TErrorReport report;
    report.ThreadId = Failure.ThreadId;
    report.Text = Failure.Text;
    if (Failure.Exception) {
        const std::wstring where =
            AddressInModule(State ? State->Modules : std::vector<TModuleEntry>(),
                            reinterpret_cast<std::uintptr_t>(Failure.Exception->ExceptionAddress));
        report.Text = DescribeStructuredException(*Failure.Exception, where);
        report.SignatureKey = StructuredExceptionKey(*Failure.Exception, where);
    }
    report.Details = State ? FormatProcessState(*State) : L"The state of the process could not be read.";
    return report;
}

[[noreturn]] void Report(const TFailure& Failure) noexcept {
    // A failure of the thread that reads the state ends that thread only;
    // the report that waits for it goes on without the state.
    if (IsCaptureThread()) ::ExitThread(1);
    // A failure while making a report: what is left cannot be trusted to
    // make another.
    if (::TlsGetValue(kReportingSlot)) EndProcessNow();
    ::TlsSetValue(kReportingSlot, reinterpret_cast<void*>(1));
    InstallExceptionFilters();

    TErrorReport report;
    try {
        report = MakeReport(Failure, CaptureProcessStateWithin(Failure.ThreadId, *Failure.Context, kCaptureTimeoutMs));
    } catch (...) {
        // No memory for the details; the error itself still goes out.
        report.Text = Failure.Exception ? L"Unknown error" : std::wstring(Failure.Text);
        report.ThreadId = Failure.ThreadId;
    }
    ProcessReporter().Report(report);
    EndProcessNow();  // not reached: the program's seam ends or waits
}

}  // namespace

void ReportFailureHere(std::wstring_view Text) noexcept {
    // Captured in this frame, which stays while the report is made, so the
    // walk from these registers finds the callers intact.
    CONTEXT context{};
    ::RtlCaptureContext(&context);
    Report({Text, nullptr, &context, ::GetCurrentThreadId()});
}

void ReportStructuredException(const EXCEPTION_POINTERS& Pointers, DWORD ThreadId) noexcept {
    Report({{}, Pointers.ExceptionRecord, Pointers.ContextRecord, ThreadId});
}

}  // namespace quillon
