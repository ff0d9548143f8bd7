#include "crash/failure_text.h"

#include "crash/process_state_text.h"

#include <cwchar>
#include <iterator>

namespace quillon {

namespace {

struct TExceptionName {
    DWORD Code;
    const wchar_t* Name;
};

// The codes a program can die of; STATUS_* values from ntstatus.h that
// winnt.h does not define are written out.
constexpr TExceptionName kExceptionNames[] = {
    {EXCEPTION_ACCESS_VIOLATION, L"Access violation"},
    {EXCEPTION_IN_PAGE_ERROR, L"In-page error"},
    {EXCEPTION_STACK_OVERFLOW, L"Stack overflow"},
    {EXCEPTION_INT_DIVIDE_BY_ZERO, L"Integer division by zero"},
    {EXCEPTION_INT_OVERFLOW, L"Integer overflow"},
    {EXCEPTION_ILLEGAL_INSTRUCTION, L"Illegal instruction"},
    {EXCEPTION_PRIV_INSTRUCTION, L"Privileged instruction"},
    {EXCEPTION_ARRAY_BOUNDS_EXCEEDED, L"Array bounds exceeded"},
    {EXCEPTION_DATATYPE_MISALIGNMENT, L"Data type misalignment"},
    {EXCEPTION_BREAKPOINT, L"Breakpoint"},
    {EXCEPTION_SINGLE_STEP, L"Single step"},
    {EXCEPTION_FLT_DENORMAL_OPERAND, L"Floating-point denormal operand"},
    {EXCEPTION_FLT_DIVIDE_BY_ZERO, L"Floating-point division by zero"},
    {EXCEPTION_FLT_INEXACT_RESULT, L"Floating-point inexact result"},
    {EXCEPTION_FLT_INVALID_OPERATION, L"Floating-point invalid operation"},
    {EXCEPTION_FLT_OVERFLOW, L"Floating-point overflow"},
    {EXCEPTION_FLT_STACK_CHECK, L"Floating-point stack check"},
    {EXCEPTION_FLT_UNDERFLOW, L"Floating-point underflow"},
    {EXCEPTION_NONCONTINUABLE_EXCEPTION, L"Noncontinuable exception"},
    {EXCEPTION_INVALID_DISPOSITION, L"Invalid disposition"},
    {0xC0000374, L"Heap corruption"},
    {0xC0000409, L"Stack buffer overrun"},
    {0xC0000417, L"Invalid parameter passed to a C runtime function"},
    {0xE06D7363, L"C++ exception of another runtime"},
};

std::wstring CodeText(DWORD Code) {
    wchar_t text[16];
    std::swprintf(text, std::size(text), L"0x%08lX", static_cast<unsigned long>(Code));
    return text;
}

// "reading address 0x..." for the two codes that tell what was touched.
std::wstring AccessText(const EXCEPTION_RECORD& Record) {
    const bool touches =
        Record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION || Record.ExceptionCode == EXCEPTION_IN_PAGE_ERROR;
    if (!touches || Record.NumberParameters < 2) return {};
    const wchar_t* verb = L"reading";
    if (Record.ExceptionInformation[0] == 1) verb = L"writing";
    if (Record.ExceptionInformation[0] == 8) verb = L"executing";
    return std::wstring(L" ") + verb + L" address " + AddressText(Record.ExceptionInformation[1]);
}

}  // namespace

std::wstring DescribeStructuredException(const EXCEPTION_RECORD& Record, std::wstring_view Where) {
    std::wstring text = L"Exception " + CodeText(Record.ExceptionCode);
    for (const TExceptionName& known : kExceptionNames) {
        if (known.Code == Record.ExceptionCode) text = known.Name;
    }
    text += AccessText(Record);
    text += L" at ";
    text += Where;
    return text;
}

std::wstring StructuredExceptionKey(const EXCEPTION_RECORD& Record, std::wstring_view Where) {
    return CodeText(Record.ExceptionCode) + L" at " + std::wstring(Where);
}

std::wstring InvalidParameterText(const wchar_t* Expression, const wchar_t* Function, const wchar_t* File,
                                  unsigned Line) {
    std::wstring text = L"Invalid parameter passed to a C runtime function";
    if (Function && *Function) text += std::wstring(L" in ") + Function;
    if (Expression && *Expression) text += std::wstring(L": ") + Expression;
    if (File && *File) text += std::wstring(L" (") + File + L" line " + std::to_wstring(Line) + L")";
    return text;
}

}  // namespace quillon
