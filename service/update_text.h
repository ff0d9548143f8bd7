#pragma once
// The fixed texts of the update dialog, in the interface language.

#include <string>
#include <string_view>

namespace quillon {

inline constexpr int kUpdateMessage = 0;
inline constexpr int kUpdateYes = 1;
inline constexpr int kUpdateNo = 2;

// Kind 0 the message (three paragraphs joined by two carriage returns),
// 1 the Yes caption, 2 the No caption; any other kind gives empty text.
// Language is a two-letter code matched exactly; a language without texts
// of its own ("en", "ar" and every unknown code) gets English. The first
// overload uses the current interface language.
std::wstring UpdateText(int Kind);
std::wstring UpdateText(int Kind, std::wstring_view Language);

}  // namespace quillon
