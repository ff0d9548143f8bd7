#pragma once
// The program's web addresses, kept in one place.

namespace quillon {

inline constexpr wchar_t kProductPageUrl[] = L"https://quillon.app/";
inline constexpr wchar_t kEntryPageBaseUrl[] = L"https://quillon.app/entry/";
inline constexpr wchar_t kServiceEndpointUrl[] = L"https://api.quillon.app/api.init.php";

}  // namespace quillon
