#include "platform/text.h"

#include <algorithm>

namespace quillon {
namespace {

bool SameIgnoringAsciiCase(wchar_t Left, wchar_t Right) { return AsciiUpperChar(Left) == AsciiUpperChar(Right); }

bool IsBlank(wchar_t C) { return C <= L' '; }

}  // namespace

std::wstring Trim(std::wstring_view Text) {
    while (!Text.empty() && IsBlank(Text.front())) Text.remove_prefix(1);
    while (!Text.empty() && IsBlank(Text.back())) Text.remove_suffix(1);
    return std::wstring(Text);
}

std::wstring AsciiUpper(std::wstring_view Text) {
    std::wstring result(Text);
    std::transform(result.begin(), result.end(), result.begin(), AsciiUpperChar);
    return result;
}

std::wstring AsciiLower(std::wstring_view Text) {
    std::wstring result(Text);
    std::transform(result.begin(), result.end(), result.begin(), AsciiLowerChar);
    return result;
}

bool EqualsIgnoringAsciiCase(std::wstring_view Left, std::wstring_view Right) {
    return std::ranges::equal(Left, Right, SameIgnoringAsciiCase);
}

bool StartsWithIgnoringAsciiCase(std::wstring_view Text, std::wstring_view Prefix) {
    return Text.size() >= Prefix.size() && EqualsIgnoringAsciiCase(Text.substr(0, Prefix.size()), Prefix);
}

std::size_t FindIgnoringAsciiCase(std::wstring_view Text, std::wstring_view What) {
    if (What.empty()) return 0;
    const auto found = std::ranges::search(Text, What, SameIgnoringAsciiCase);
    return found.empty() ? std::wstring_view::npos : static_cast<std::size_t>(found.begin() - Text.begin());
}

bool ContainsIgnoringAsciiCase(std::wstring_view Text, std::wstring_view What) {
    return FindIgnoringAsciiCase(Text, What) != std::wstring_view::npos;
}

std::wstring FileNamePart(std::wstring_view Path) {
    const std::size_t separator = Path.find_last_of(L"\\:");
    return std::wstring(separator == std::wstring_view::npos ? Path : Path.substr(separator + 1));
}

std::vector<std::wstring> SplitLines(std::wstring_view Text) {
    std::vector<std::wstring> lines;
    while (!Text.empty()) {
        const std::size_t end = Text.find_first_of(L"\r\n");
        lines.emplace_back(Text.substr(0, end));
        if (end == std::wstring_view::npos) break;
        const bool crLf = Text[end] == L'\r' && end + 1 < Text.size() && Text[end + 1] == L'\n';
        Text.remove_prefix(end + (crLf ? 2 : 1));
    }
    return lines;
}

}  // namespace quillon
