#pragma once
// The lists that decide which start-up entries the list hides: the file
// white list (masks such as "chrome.exe*" and full paths that start with a
// folder variable), the name white list (service, task and Run-value name
// prefixes) and the name black list. Their first contents are built in; the
// service reply may add to them once at start.

#include <nlohmann/json_fwd.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// A sorted, duplicate-free list of lines; order and duplicates ignore case.
// Lines are kept as given (blanks, comments and the empty line included);
// only matching trims and expands them.
//
// Each line's matching form is worked out when the line enters the list, so
// a refresh asking about hundreds of entries never expands the same folder
// variable twice. That form reads the process-wide folder-variable table,
// so lists must be filled after InitFolderVariables() has run; the program
// does so before it creates any window.
class TFilterList {
public:
    // Replaces the contents; of lines equal but for case the first is kept.
    void Assign(std::vector<std::wstring> Lines);
    // False when the list already holds the line (case ignored).
    bool Add(const std::wstring& Line);
    const std::vector<std::wstring>& Lines() const noexcept { return FLines; }

    // File mode: a mask ("name.exe*") matches a text whose file-name part is
    // exactly what precedes the '*' (ASCII case ignored); any other entry
    // matches a text that contains it (case ignored under the user's
    // locale). Name mode: an entry matches a text that begins with it (case
    // ignored under the user's locale); a '*' is just a character there.
    // Empty entries and entries starting with "//" never match.
    bool IsListed(std::wstring_view Text, bool FileMode) const;

private:
    enum class TKind { Comment, Mask, Plain };

    struct TEntry {
        TKind Kind = TKind::Comment;
        std::wstring Text;     // trimmed and expanded
        std::wstring Key;      // file mode: the mask without its '*', or the text upper-cased
        std::wstring NameKey;  // name mode: the whole text upper-cased, '*' and all
    };

    static TEntry Prepare(std::wstring_view Line);

    std::vector<std::wstring> FLines;
    std::vector<TEntry> FEntries;  // FEntries[i] is the matching form of FLines[i]
};

// Fills List from the RCDATA resource of that name in the program's own
// module ("file_white", "name_white", "name_black"). A missing or unreadable
// resource leaves the list as it was.
void LoadFilterList(TFilterList& List, const wchar_t* ResourceName);

// Adds the strings of Reply[Key] that the list lacks. A reply that is not an
// object, a missing member or one that is not an array changes nothing;
// elements that are not strings are skipped.
void MergeFilterList(TFilterList& List, const nlohmann::json& Reply, const char* Key);

bool IsListed(const TFilterList& List, std::wstring_view Text, bool FileMode);

}  // namespace quillon
