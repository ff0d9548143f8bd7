#pragma once
// Special folders and the folder variables ("%ProgramFiles%", "%WinDir%",
// ...) that the built-in file list and registry command lines start with.
// The folders come from the shell's special-folder queries rather than the
// process environment, and are fixed once at start-up.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// The current path of a special folder (a CSIDL_* number) without a trailing
// backslash ("C:\" gives "C:"); empty when the shell gives no path, as for a
// folder that does not exist.
std::wstring GetSpecialFolder(int Csidl);

struct TFolderVariable {
    std::wstring Variable;  // percent signs included, e.g. "%WinDir%"
    std::wstring Folder;    // no trailing backslash; empty when the query failed
};

// The variables in the order they were added.
class TFolderVariables {
public:
    void Add(std::wstring Variable, std::wstring Folder);
    const std::vector<TFolderVariable>& Entries() const noexcept { return FEntries; }

private:
    std::vector<TFolderVariable> FEntries;
};

// The nine variables, each filled from Query(CSIDL). IsX64 says the native
// system is AMD64; a 32-bit process there is answered with the "(x86)"
// folders for the plain program-files queries, which this corrects.
TFolderVariables BuildFolderVariables(const std::function<std::wstring(int)>& Query, bool IsX64);

// Builds the process-wide table once; later calls do nothing. Called before
// any window exists, so everything that reads the table later needs no lock.
void InitFolderVariables();

// Path with a leading "%Variable%\" of the table replaced by its folder
// (ASCII case ignored); the path unchanged when no variable matches. The
// first overload reads the process-wide table, and before
// InitFolderVariables has run it expands nothing.
std::wstring ExpandFolderVariable(std::wstring_view Path);
std::wstring ExpandFolderVariable(const TFolderVariables& Table, std::wstring_view Path);

}  // namespace quillon
