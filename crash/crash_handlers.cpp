#include "crash/crash_handlers.h"

#include <windows.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <mutex>

#include "platform/fault_hook.h"
#include "crash/failure_report.h"
#include "crash/failure_text.h"
#include "platform/module_function.h"
#include "crash/stack_walker.h"

namespace quillon {

namespace {

// This compiler's C++ exceptions on x64 are structured exceptions with this
// code (masked). One that reaches the filter has found no catch block;
// handed back, it makes the runtime call std::terminate, whose handler
// reports it with its own text.
constexpr DWORD kGccExceptionCode = 0x20474343;
constexpr DWORD kGccExceptionMask = 0x20FFFFFF;

// Room kept on the main thread for handling its stack overflow.
constexpr ULONG kStackGuaranteeBytes = 64 * 1024;

// A thread whose stack overflowed has a few kilobytes left, too few to make
// a report. This thread, started while the program was sound, makes it in
// its place; the overflowed thread waits in its filter.
struct TOverflowReporter {
    HANDLE Start = nullptr;
    LONG Taken = 0;
    EXCEPTION_POINTERS* Pointers = nullptr;
    DWORD ThreadId = 0;
};
TOverflowReporter gOverflow;

DWORD WINAPI ReportOverflow(void*) {
    ::WaitForSingleObject(gOverflow.Start, INFINITE);
    ReportStructuredException(*gOverflow.Pointers, gOverflow.ThreadId);
}

void StartOverflowReporter() {
    gOverflow.Start = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!gOverflow.Start) return;
    const HANDLE thread = ::CreateThread(nullptr, 0, ReportOverflow, nullptr, 0, nullptr);
    if (thread) {
        ::CloseHandle(thread);
        return;
    }
    ::CloseHandle(gOverflow.Start);
    gOverflow.Start = nullptr;
}

// Uses next to no stack: only a flag, an event and a sleep.
[[noreturn, gnu::noinline]] void HandOverOverflow(EXCEPTION_POINTERS* Pointers) noexcept {
    if (!gOverflow.Start) ReportStructuredException(*Pointers, ::GetCurrentThreadId());  // may not get far
    // The first overflow gets the reporting thread; another only waits for
    // the end that the first one's report brings.
    if (::InterlockedExchange(&gOverflow.Taken, 1) == 0) {
        gOverflow.Pointers = Pointers;
        gOverflow.ThreadId = ::GetCurrentThreadId();
        ::SetEvent(gOverflow.Start);
    }
    for (;;) ::Sleep(INFINITE);
}

// A stack overflow is taken before any frame's handler runs. On its way up
// to the filter the exception would meet the handler of every C++ try
// block, and that handler needs more stack than an overflowed thread has
// left: the thread would die without a word. No code of ours recovers from
// an overflow, so nothing is lost by taking it first.
LONG WINAPI OnFirstChanceException(EXCEPTION_POINTERS* Pointers) {
    if (Pointers->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW) HandOverOverflow(Pointers);
    return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* Pointers) {
    const EXCEPTION_RECORD& record = *Pointers->ExceptionRecord;
    const bool continuable = (record.ExceptionFlags & EXCEPTION_NONCONTINUABLE) == 0;
    if ((record.ExceptionCode & kGccExceptionMask) == kGccExceptionCode && continuable)
        return EXCEPTION_CONTINUE_EXECUTION;
    if (record.ExceptionCode == EXCEPTION_STACK_OVERFLOW) HandOverOverflow(Pointers);
    ReportStructuredException(*Pointers, ::GetCurrentThreadId());
}

void OnTerminate() {
    // An exception that left a thread or a noexcept function is still in
    // flight here and says what went wrong.
    if (std::current_exception()) ReportCurrentException();
    ReportFailureHere(kTerminateText);
}

void __cdecl OnInvalidParameter(const wchar_t* Expression, const wchar_t* Function, const wchar_t* File, unsigned Line,
                                std::uintptr_t) {
    ReportFailureHere(InvalidParameterText(Expression, Function, File, Line));
}

void __cdecl OnPureCall() { ReportFailureHere(kPureCallText); }

void __cdecl OnAbort(int) { ReportFailureHere(kAbortText); }

// The MinGW runtime keeps the handlers that these two functions set for its
// own code; the system's msvcrt.dll, where it has them, keeps its own.
void SetRuntimeHandlers() {
    _set_invalid_parameter_handler(&OnInvalidParameter);
    _set_purecall_handler(&OnPureCall);
    const HMODULE msvcrt = ::GetModuleHandleW(L"msvcrt.dll");
    if (!msvcrt) return;
    _invalid_parameter_handler(__cdecl * setInvalidParameter)(_invalid_parameter_handler) = nullptr;
    _purecall_handler(__cdecl * setPureCall)(_purecall_handler) = nullptr;
    if (FindFunction(msvcrt, "_set_invalid_parameter_handler", setInvalidParameter))
        setInvalidParameter(&OnInvalidParameter);
    if (FindFunction(msvcrt, "_set_purecall_handler", setPureCall)) setPureCall(&OnPureCall);
}

}  // namespace

void InstallExceptionFilters() noexcept try {
    // Once only: a second first-chance handler would take an overflow twice.
    static std::once_flag once;
    std::call_once(once, [] {
        StartOverflowReporter();
        ::AddVectoredExceptionHandler(1, &OnFirstChanceException);
        ::SetUnhandledExceptionFilter(&OnUnhandledException);
    });
} catch (...) {
    // No thread to be had for call_once; a fault goes to the system then.
}

void InstallCrashHandlers() noexcept {
    PrepareStackWalker();
    SetFaultHandler(&ReportFailureHere);
    InstallExceptionFilters();
    std::set_terminate(&OnTerminate);
    SetRuntimeHandlers();
    std::signal(SIGABRT, &OnAbort);
    ULONG guarantee = kStackGuaranteeBytes;
    ::SetThreadStackGuarantee(&guarantee);
}

}  // namespace quillon

// GCC's code calls this for a pure virtual function (a virtual call from a
// constructor or destructor of an abstract class). The runtime's own version
// is only weakly referenced and is not linked in this static build, so
// without this one the call would jump to address zero.
extern "C" [[noreturn]] void __cxa_pure_virtual() noexcept { quillon::ReportFailureHere(quillon::kPureCallText); }

// The runtime's own terminate handler prints the exception's type, and
// brings the whole C++ name demangler into the program to do so (some
// 50 KB, a tenth of the release). The program puts its handler in place at
// start; this one stands in for the runtime's, so that even a terminate
// before that ends in the report.
namespace __gnu_cxx {
void __verbose_terminate_handler() { quillon::ReportFailureHere(quillon::kTerminateText); }
}  // namespace __gnu_cxx
