#include "view/file_icons.h"

#include "platform/native_path.h"
#include "platform/program_image.h"
#include "platform/shell_link.h"
#include "platform/text.h"

#include <windows.h>
#include <shellapi.h>

#include <charconv>
#include <optional>
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

// The icon of the file at Location as it is, a shortcut included: only a
// whole program image, or a file of another kind, is given to the shell.
UniqueIcon ExtractOwnIcon(const TIconLocation& Location) {
    const TProgramImage image = CheckProgramFile(Location.Path);
    if (image == TProgramImage::Unusable) return {};
    // The shell may write another path and number back, so it gets a
    // buffer of its own of the size it expects. A longer path cannot be
    // opened this way anyway; it is cut short rather than overrun.
    wchar_t path[MAX_PATH] = {};
    Location.Path.copy(path, MAX_PATH - 1);
    // The shell takes the icon number as 16 bits.
    WORD number = static_cast<WORD>(Location.Number);
    // A program or library with icons of its own is read once; only a file
    // without (a document, a script) needs the association's icon, and
    // asking for that straight away opens every file twice.
    const HICON own = ::ExtractIconW(nullptr, path, number);
    if (own != nullptr && own != reinterpret_cast<HICON>(1)) return UniqueIcon(own);
    return UniqueIcon(::ExtractAssociatedIconW(nullptr, path, &number));
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
    const std::wstring path = NativeFilePath(location.Path);
    if (!IsShellLinkPath(path)) return ExtractOwnIcon({path, location.Number});
    // The shell would follow the link itself, but in a 32-bit process it
    // reads the redirected file system and its own "(x86)" program folders,
    // and under Wine it gives nothing at all.
    const std::optional<TShellLink> link = ReadShellLink(path);
    if (!link) return {};
    const bool hasIcon = !link->IconPath.empty();
    const std::wstring source = NativeFilePath(ExpandNativeEnvironment(hasIcon ? link->IconPath : link->Target));
    if (source.empty()) return {};
    return ExtractOwnIcon({source, hasIcon ? link->IconNumber : 0});
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
