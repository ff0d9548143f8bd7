#include "platform/text.h"

#include <algorithm>

namespace quillon {
namespace {

wchar_t UpperChar(wchar_t C) { return (C >= L'a' && C <= L'z') ? static_cast<wchar_t>(C - L'a' + L'A') : C; }
wchar_t LowerChar(wchar_t C) { return (C >= L'A' && C <= L'Z') ? static_cast<wchar_t>(C - L'A' + L'a') : C; }

bool SameIgnoringAsciiCase(wchar_t Left, wchar_t Right) { return UpperChar(Left) == UpperChar(Right); }

bool IsBlank(wchar_t C) { return C <= L' '; }

}  // namespace

std::wstring Trim(std::wstring_view Text) {
    while (!Text.empty() && IsBlank(Text.front())) Text.remove_prefix(1);
    while (!Text.empty() && IsBlank(Text.back())) Text.remove_suffix(1);
    return std::wstring(Text);
}

std::wstring AsciiUpper(std::wstring_view Text) {
    std::wstring Result(Text);
    std::transform(Result.begin(), Result.end(), Result.begin(), UpperChar);
    return Result;
}

std::wstring AsciiLower(std::wstring_view Text) {
    std::wstring Result(Text);
    std::transform(Result.begin(), Result.end(), Result.begin(), LowerChar);
    return Result;
}

bool EqualsIgnoringAsciiCase(std::wstring_view Left, std::wstring_view Right) {
    return std::ranges::equal(Left, Right, SameIgnoringAsciiCase);
}

bool StartsWithIgnoringAsciiCase(std::wstring_view Text, std::wstring_view Prefix) {
    return Text.size() >= Prefix.size() && EqualsIgnoringAsciiCase(Text.substr(0, Prefix.size()), Prefix);
}

std::size_t FindIgnoringAsciiCase(std::wstring_view Text, std::wstring_view What) {
    if (What.empty()) return 0;
    const auto Found = std::ranges::search(Text, What, SameIgnoringAsciiCase);
    return Found.empty() ? std::wstring_view::npos : static_cast<std::size_t>(Found.begin() - Text.begin());
}

bool ContainsIgnoringAsciiCase(std::wstring_view Text, std::wstring_view What) {
    return FindIgnoringAsciiCase(Text, What) != std::wstring_view::npos;
}

std::wstring FileNamePart(std::wstring_view Path) {
    const std::size_t Separator = Path.find_last_of(L"\\:");
    return std::wstring(Separator == std::wstring_view::npos ? Path : Path.substr(Separator + 1));
}

}  // namespace quillon
