#pragma once
// The page about one entry on the product's web site, opened by a double
// click on its row.

#include <string>
#include <string_view>

namespace quillon {

inline constexpr wchar_t kEntryPageBaseUrl[] = L"https://quillon.app/entry/";

// The source tag or root name and the file-name part of Target, lower-cased,
// e.g. ("HKCU", "HKCU\...\Run\Updater") -> ".../entry/hkcu/updater". The name
// is sent as it is, not percent-encoded.
std::wstring EntryPageUrl(std::wstring_view From, std::wstring_view Target);

}  // namespace quillon
