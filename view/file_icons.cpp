#include "view/file_icons.h"

#include "platform/text.h"
#include "platform/files.h"

#include <windows.h>
#include <shellapi.h>

#include <charconv>
#include <string>

namespace quillon {
namespace {

// A whole decimal integer with an optional sign, blanks around it allowed.
bool ParseIconNumber(std::wstring_view Text, int& Number) {
    const std::wstring trimmed = Trim(Text);
    std::string narrow;
    for (wchar_t c : trimmed) {
        // Only ASCII can be part of a number; anything else makes it invalid.
        if (c > 0x7F) return false;
        narrow.push_back(static_cast<char>(c));
    }
    const char* begin = narrow.data();
    const char* end = begin + narrow.size();
    // from_chars takes no '+', but "+4" is a number all the same ("+-4" is not).
    if (end - begin > 1 && begin[0] == '+' && begin[1] != '-') ++begin;
    const auto [stop, error] = std::from_chars(begin, end, Number);
    return begin != end && error == std::errc() && stop == end;
}

}  // namespace

std::wstring IconKey(std::wstring_view Source) {
    std::wstring unquoted(Source);
    std::erase(unquoted, L'"');
    return Trim(unquoted);
}

TIconLocation ParseIconLocation(std::wstring_view Key, int InvalidNumber) {
    const std::size_t comma = Key.find(L',');
    if (comma == std::wstring_view::npos) return {std::wstring(Key), 0};
    TIconLocation location{Trim(Key.substr(0, comma)), 0};
    if (!ParseIconNumber(Key.substr(comma + 1), location.Number)) location.Number = InvalidNumber;
    return location;
}

UniqueIcon ExtractFileIcon(const std::wstring& Key, int InvalidNumber) {
    const TIconLocation location = ParseIconLocation(Key, InvalidNumber);
    if (!FileExists(location.Path)) return {};
    // The shell may write another path and number back, so it gets a
    // buffer of its own of the size it expects. A longer path cannot be
    // opened this way anyway; it is cut short rather than overrun.
    wchar_t path[MAX_PATH] = {};
    location.Path.copy(path, MAX_PATH - 1);
    // The shell takes the icon number as 16 bits.
    WORD number = static_cast<WORD>(location.Number);
    // A program or library with icons of its own is read once; only a file
    // without (a document, a script) needs the association's icon, and
    // asking for that straight away opens every file twice.
    const HICON own = ::ExtractIconW(nullptr, path, number);
    if (own != nullptr && own != reinterpret_cast<HICON>(1)) return UniqueIcon(own);
    return UniqueIcon(::ExtractAssociatedIconW(nullptr, path, &number));
}

int GetFileIconIndex(TIconCache& Cache, HIMAGELIST Images, UINT Dpi, const std::wstring& Source, int Fallback) {
    const std::wstring key = IconKey(Source);
    if (key.empty()) return Fallback;
    if (const auto cached = Cache.find(key); cached != Cache.end()) return cached->second;

    const UniqueIcon icon = ExtractFileIcon(key, Fallback);
    if (!icon) return 0;
    const int index = AddIconImage(Images, icon.get(), Dpi);
    if (index < 0) return Fallback;
    Cache.emplace(key, index);
    return index;
}

}  // namespace quillon
