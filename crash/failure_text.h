#pragma once
// The words for failures that are not C++ exceptions: what the box and the
// report say about them, and what makes two of them the same error.

#include <windows.h>

#include <string>
#include <string_view>

namespace quillon {

inline constexpr wchar_t kPureCallText[] = L"Pure virtual function call";
inline constexpr wchar_t kTerminateText[] = L"Abnormal program termination";
inline constexpr wchar_t kAbortText[] = L"Abnormal program termination (abort)";

// "Access violation reading address 0x0000000000000010 at Quillon.exe+0x1a2b";
// Where is the faulting instruction's place (see AddressInModule).
std::wstring DescribeStructuredException(const EXCEPTION_RECORD& Record, std::wstring_view Where);

// The exception's code and place, without the address it touched: a wild
// pointer touches another address in every run, yet it is the same error.
std::wstring StructuredExceptionKey(const EXCEPTION_RECORD& Record, std::wstring_view Where);

// What the C runtime tells about an invalid parameter; its debug build
// names the expression, function, file and line, its release build nothing.
std::wstring InvalidParameterText(const wchar_t* Expression, const wchar_t* Function, const wchar_t* File,
                                  unsigned Line);

}  // namespace quillon
