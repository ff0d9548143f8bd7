#pragma once
// The data the program carries in its own file as RCDATA resources: the
// filter lists and the translation table.

#include <optional>
#include <string_view>

namespace quillon {

// The bytes of the RCDATA resource Name of the program's own module
// (names are matched ignoring case); nothing when it is missing. Resources
// stay mapped as long as the module, so the view needs no release.
std::optional<std::string_view> FindOwnResource(const wchar_t* Name);

}  // namespace quillon
