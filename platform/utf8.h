#pragma once
// The one place where text crosses between the program's UTF-16 and the
// UTF-8 of resources, replies, exception messages and files.

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// UTF-8 of Text. An unpaired surrogate becomes U+FFFD, so the result is
// always valid UTF-8.
std::string Utf8FromWide(std::wstring_view Text);

// UTF-16 of Bytes; bytes that are not valid UTF-8 become U+FFFD.
std::wstring WideFromUtf8(std::string_view Bytes);

// UTF-16 of Bytes, or nothing when they are not valid UTF-8: for text that
// is better refused than loaded with replacement characters.
std::optional<std::wstring> WideFromStrictUtf8(std::string_view Bytes);

// Bytes decoded in the given Windows code page; empty when they are not
// valid there.
std::wstring WideFromCodePage(std::string_view Bytes, unsigned CodePage);

// Bytes without a leading UTF-8 byte-order mark.
std::string_view WithoutByteOrderMark(std::string_view Bytes);

}  // namespace quillon
