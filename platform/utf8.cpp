#include "platform/utf8.h"

#include <windows.h>

#include <climits>

namespace quillon {
namespace {

// Empty when the bytes are not valid in CodePage (with Flags).
std::wstring Decode(std::string_view Bytes, UINT CodePage, DWORD Flags) {
    if (Bytes.empty() || Bytes.size() > INT_MAX) return {};
    const int size = static_cast<int>(Bytes.size());
    const int length = ::MultiByteToWideChar(CodePage, Flags, Bytes.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CodePage, Flags, Bytes.data(), size, text.data(), length);
    return text;
}

}  // namespace

std::string Utf8FromWide(std::wstring_view Text) {
    if (Text.empty() || Text.size() > INT_MAX) return {};
    const int size = static_cast<int>(Text.size());
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, Text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string bytes(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, Text.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

std::wstring WideFromUtf8(std::string_view Bytes) { return Decode(Bytes, CP_UTF8, 0); }

std::optional<std::wstring> WideFromStrictUtf8(std::string_view Bytes) {
    if (Bytes.empty()) return std::wstring();
    std::wstring text = Decode(Bytes, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (text.empty()) return std::nullopt;
    return text;
}

std::wstring WideFromCodePage(std::string_view Bytes, unsigned CodePage) { return Decode(Bytes, CodePage, 0); }

std::string_view WithoutByteOrderMark(std::string_view Bytes) {
    if (Bytes.starts_with(kUtf8ByteOrderMark)) Bytes.remove_prefix(kUtf8ByteOrderMark.size());
    return Bytes;
}

}  // namespace quillon
