#pragma once
// Reading values out of the service's reply by text search, without a JSON
// parser: the reply is written compactly, so a string value is found by its
// quoted key, a colon and the opening quote, and ends at the first quote
// that no backslash precedes.

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// The text of Source between the first StartText and the next EndText after
// it; empty when either is missing. Markers match ignoring ASCII case only.
// When EndText is a quote (" or '), a quote with a backslash directly before
// it is part of the value, not its end; the same holds while StartText is
// searched, so a key inside an escaped string is not taken for a key.
std::wstring ExtractBetween(std::wstring_view Source, std::wstring_view StartText, std::wstring_view EndText);

// Value with its JSON escapes decoded: \" \' \/ \\ \b \f \n \r \t and \uXXXX
// (one UTF-16 unit each, so two escapes of a surrogate pair make one
// character). \u takes up to four hexadecimal digits, fewer at the very end
// of the text. Any other escaped character, and a backslash at the end, is
// dropped. Nothing when a \u has no digit after it or a character in its
// four that is no hexadecimal digit: such a value cannot be trusted.
std::optional<std::wstring> UnescapeJSON(std::wstring_view Value);

}  // namespace quillon
