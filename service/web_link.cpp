#include "service/web_link.h"

#include "platform/text.h"

namespace quillon {
namespace {

// Characters that never stand unencoded in an address. A quote could end
// the argument that the shell's handler command puts the address in, and a
// backslash turns some addresses into paths.
bool IsForbidden(wchar_t C) {
    if (C <= 0x20 || C == 0x7F) return true;
    constexpr std::wstring_view kForbidden = L"\"<>\\^`{|}";
    return kForbidden.find(C) != std::wstring_view::npos;
}

}  // namespace

bool IsWebAddress(std::wstring_view Text) {
    std::size_t afterScheme = 0;
    if (StartsWithIgnoringAsciiCase(Text, L"http://")) {
        afterScheme = 7;
    } else if (StartsWithIgnoringAsciiCase(Text, L"https://")) {
        afterScheme = 8;
    } else {
        return false;
    }
    for (const wchar_t c : Text) {
        if (IsForbidden(c)) return false;
    }
    // The authority runs to the first '/', '?' or '#'; its host part, after
    // any "user@" and before any ":port", must not be empty.
    const std::wstring_view rest = Text.substr(afterScheme);
    std::wstring_view authority = rest.substr(0, rest.find_first_of(L"/?#"));
    if (const std::size_t at = authority.rfind(L'@'); at != std::wstring_view::npos) authority.remove_prefix(at + 1);
    const std::wstring_view host = authority.substr(0, authority.find(L':'));
    return !host.empty();
}

}  // namespace quillon
