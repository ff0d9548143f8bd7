#pragma once
// Small text helpers shared by the command-line, registry-path and filter
// code. "Case" here means ASCII letters only: paths and names are compared
// the way the program has always compared them, not by the user's locale.

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon {

// Removes every character with code 32 or less (blanks and all control
// characters) from both ends.
std::wstring Trim(std::wstring_view Text);

// Only 'a'..'z' and 'A'..'Z' change; every other character stays.
std::wstring AsciiUpper(std::wstring_view Text);
std::wstring AsciiLower(std::wstring_view Text);

bool EqualsIgnoringAsciiCase(std::wstring_view Left, std::wstring_view Right);
bool StartsWithIgnoringAsciiCase(std::wstring_view Text, std::wstring_view Prefix);
// Position of the first occurrence of What in Text, or npos.
std::size_t FindIgnoringAsciiCase(std::wstring_view Text, std::wstring_view What);
bool ContainsIgnoringAsciiCase(std::wstring_view Text, std::wstring_view What);

// The text after the last '\' or ':'; the whole text when it has neither.
std::wstring FileNamePart(std::wstring_view Path);

}  // namespace quillon
