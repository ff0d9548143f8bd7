#pragma once
// The program's one error vocabulary.
//
// Most failures are absorbed where they happen and give a default; a few
// must be heard (a start-up folder that vanished, a Task Scheduler that
// cannot be reached, a file that cannot be deleted). Those raise TAppError,
// which nothing catches on the way: it ends the handler it arose in and
// reaches the error report, which shows Message() to the user. A failure
// that is absorbed on purpose goes through Absorb, so the code says so.

#include <windows.h>

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace quillon {

class TAppError : public std::exception {
public:
    // Code is the system's error code or HRESULT behind the failure, 0 when
    // there is none; Call names the operation that failed.
    explicit TAppError(std::wstring Message, std::uint32_t Code = 0, std::wstring Call = {});

    const std::wstring& Message() const noexcept { return FMessage; }
    std::uint32_t Code() const noexcept { return FCode; }
    const std::wstring& Call() const noexcept { return FCall; }
    // UTF-8 of Message(), for code that only knows std::exception.
    const char* what() const noexcept override { return FWhat.c_str(); }

private:
    std::wstring FMessage;
    std::uint32_t FCode;
    std::wstring FCall;
    // Built once here: what() must not allocate, and may be called while
    // memory is short.
    std::string FWhat;
};

// The system's text for an error code or HRESULT, without the line break
// it ends with; "System error N" when the system has none.
std::wstring SystemMessage(std::uint32_t Code);

// Raises TAppError "Context: <system message>" for a Win32 error code.
[[noreturn]] void RaiseWin32Error(std::wstring_view Context, DWORD Code, std::wstring_view Call = {});
// The same for the calling thread's last error.
[[noreturn]] void RaiseLastError(std::wstring_view Context, std::wstring_view Call = {});
// Raises TAppError "Context (0x80070005): <system message>" for an HRESULT;
// the code stays in the text even when the system has no message for it.
[[noreturn]] void RaiseHResult(std::wstring_view Context, HRESULT Status, std::wstring_view Call = {});
// RaiseHResult when Status is a failure.
inline void ThrowIfFailed(HRESULT Status, std::wstring_view Context, std::wstring_view Call = {}) {
    if (FAILED(Status)) RaiseHResult(Context, Status, Call);
}

// A failure the design absorbs: the result is looked at by nobody, on
// purpose, and the next refresh or attempt shows what really happened.
template <typename TResult>
constexpr void Absorb(TResult&&) noexcept {}

}  // namespace quillon
