#include "platform/fault_hook.h"

#include "platform/error_text.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>

namespace quillon {
namespace {

constinit std::atomic<TFaultHandler> GHandler{nullptr};

[[noreturn]] void EndWithoutReport(std::wstring_view Text) noexcept {
    std::fwprintf(stderr, L"Fault: %.*ls\n", static_cast<int>(Text.size()), Text.data());
    std::fflush(stderr);
    ::OutputDebugStringW(L"Quillon: a fault with no crash report installed\n");
    ::TerminateProcess(::GetCurrentProcess(), 3);
    for (;;) ::Sleep(INFINITE);  // TerminateProcess does not return for the calling process
}

}  // namespace

void SetFaultHandler(TFaultHandler Handler) noexcept { GHandler.store(Handler); }

void ReportFault(std::wstring_view Text) noexcept {
    if (const TFaultHandler handler = GHandler.load()) handler(Text);
    EndWithoutReport(Text);
}

void ReportCurrentException() noexcept {
    std::wstring text;
    try {
        text = CurrentExceptionText();
    } catch (...) {
        ReportFault(L"Unknown error");
    }
    ReportFault(text);
}

}  // namespace quillon
