#pragma once
// The text of an exception, whatever kind it is, for the error report.

#include <string>
#include <string_view>

namespace quillon {

// The message of a std::exception as text. Our own code and the standard
// library write UTF-8; older libraries and the C runtime write the ANSI code
// page, so bytes that are not valid UTF-8 are read as ANSI.
std::wstring WideFromExceptionMessage(std::string_view Bytes);

// The text of the exception being handled: a TAppError's message, a
// std::exception's what(), or "Unknown error" for anything else (and when no
// exception is being handled). Call it inside a catch block.
std::wstring CurrentExceptionText();

}  // namespace quillon
