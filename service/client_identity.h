#pragma once
// How the service tells one installation from another: an identifier kept
// per user in the registry, and the program's own version.

#include <string>
#include <string_view>

namespace quillon {

// Where the identifier lives: HKEY_CURRENT_USER, this key, this value.
inline constexpr wchar_t kClientIdKey[] = L"Software\\Tamrisk";
inline constexpr wchar_t kClientIdValue[] = L"AmbitUID";

// The stored identifier, made and stored first when the value does not
// exist yet. An existing value is never changed: one that is empty or not
// text gives empty text. Empty text too when the key cannot be opened or
// created.
std::wstring GetUID();

// A new identifier of 32 characters: 8 hexadecimal digits (a number below
// 2^31 - 1), the local date "yymmdd", 4 hexadecimal digits (below 65535),
// the local time "hhnnss" and 8 hexadecimal digits again; digits are upper
// case.
std::wstring NewUID();

// Pattern with each "%d" replaced, in turn, by the major, minor, release and
// build number of the running program's fixed file version; "0.0.0.0" when
// the program has no version resource.
std::wstring GetAppVersion(std::wstring_view Pattern = L"%d.%d.%d.%d");

}  // namespace quillon
