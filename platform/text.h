#pragma once
// Small text helpers shared by the command-line, registry-path and filter
// code. "Case" here means ASCII letters only: paths and names are compared
// the way the program has always compared them, not by the user's locale.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// Removes every character with code 32 or less (blanks and all control
// characters) from both ends.
std::wstring Trim(std::wstring_view Text);

// Only 'a'..'z' and 'A'..'Z' change; every other character stays.
constexpr wchar_t AsciiUpperChar(wchar_t C) noexcept {
    return (C >= L'a' && C <= L'z') ? static_cast<wchar_t>(C - L'a' + L'A') : C;
}
constexpr wchar_t AsciiLowerChar(wchar_t C) noexcept {
    return (C >= L'A' && C <= L'Z') ? static_cast<wchar_t>(C - L'A' + L'a') : C;
}
std::wstring AsciiUpper(std::wstring_view Text);
std::wstring AsciiLower(std::wstring_view Text);

bool EqualsIgnoringAsciiCase(std::wstring_view Left, std::wstring_view Right);
bool StartsWithIgnoringAsciiCase(std::wstring_view Text, std::wstring_view Prefix);
// Position of the first occurrence of What in Text, or npos.
std::size_t FindIgnoringAsciiCase(std::wstring_view Text, std::wstring_view What);
bool ContainsIgnoringAsciiCase(std::wstring_view Text, std::wstring_view What);

// The text after the last '\' or ':'; the whole text when it has neither.
std::wstring FileNamePart(std::wstring_view Path);

// Lines end at CR LF, LF or a lone CR: the built-in texts were edited on
// more than one system. A break at the very end adds no empty line; an
// empty line between two breaks is kept.
std::vector<std::wstring> SplitLines(std::wstring_view Text);

}  // namespace quillon
