#pragma once
// Named strings from a file's version resource, such as its product name.
// Each function reads the file a native process would open at that path
// (NativeFilePath), and only when it is a whole program image: a program cut
// short, or a version block whose lengths do not fit together, reads as a
// file without version information.

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillon {

// Key to value; keys are compared exactly (case matters).
using TVersionStrings = std::map<std::wstring, std::wstring>;

// Adds Key -> value to Values for each of Keys that the first language of
// the file's translation table holds, in the order of Keys, and returns the
// number of entries in Values afterwards (earlier entries count too).
// Returns 0 and leaves Values alone when the file is missing, is no whole
// program image, has no usable version resource or no translation table.
// A key that Values already holds is a caller's mistake:
// std::invalid_argument, with the entries added so far kept.
int ReadVersionStrings(const std::wstring& FileName, const std::vector<std::wstring>& Keys, TVersionStrings& Values);

// The file's version numbers (major, minor, release, build) from the fixed
// part of its version resource; nothing when it has none.
std::optional<std::array<unsigned, 4>> ReadFileVersion(const std::wstring& FileName);

// The file's "ProductName" for the first language of its translation
// table, or "" when there is none.
std::wstring ReadProductName(const std::wstring& FileName);

}  // namespace quillon
