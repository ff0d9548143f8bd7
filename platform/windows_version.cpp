#include "platform/windows_version.h"

namespace quillon {
namespace {

using TRtlGetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);

}  // namespace

DWORD TrueWindowsMajorVersion() {
    // Looked up rather than linked: ntdll's import library is not part of
    // every toolchain, and ntdll is in every process anyway.
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) return 0;
    const FARPROC found = ::GetProcAddress(ntdll, "RtlGetVersion");
    if (!found) return 0;
    // Through void(*)() so the compiler accepts the change of signature.
    const auto getVersion = reinterpret_cast<TRtlGetVersion>(reinterpret_cast<void (*)()>(found));

    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (getVersion(&version) != 0) return 0;  // STATUS_SUCCESS is 0
    return version.dwMajorVersion;
}

}  // namespace quillon
