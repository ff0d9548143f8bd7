#include "view/filter_list.h"

#include "platform/folders.h"
#include "platform/resources.h"
#include "platform/text.h"
#include "platform/utf8.h"

#include <windows.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <optional>
#include <utility>

namespace quillon {
namespace {

// Ordinal rather than locale order: the sort and the duplicate test then do
// not depend on the user's language, and both use the same notion of case.
int CompareIgnoringCase(std::wstring_view Left, std::wstring_view Right) {
    return ::CompareStringOrdinal(Left.data(), static_cast<int>(Left.size()), Right.data(),
                                  static_cast<int>(Right.size()), TRUE);
}

bool LessIgnoringCase(const std::wstring& Left, const std::wstring& Right) {
    return CompareIgnoringCase(Left, Right) == CSTR_LESS_THAN;
}

bool SameIgnoringCase(const std::wstring& Left, const std::wstring& Right) {
    return CompareIgnoringCase(Left, Right) == CSTR_EQUAL;
}

std::wstring UpperUnderUserLocale(std::wstring_view Text) {
    if (Text.empty()) return {};
    const int length = static_cast<int>(Text.size());
    const int needed = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, Text.data(), length, nullptr, 0,
                                       nullptr, nullptr, 0);
    if (needed <= 0) return AsciiUpper(Text);
    std::wstring upper(static_cast<std::size_t>(needed), L'\0');
    ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, Text.data(), length, upper.data(), needed, nullptr,
                    nullptr, 0);
    return upper;
}

}  // namespace

TFilterList::TEntry TFilterList::Prepare(std::wstring_view Line) {
    TEntry entry;
    entry.Text = ExpandFolderVariable(Trim(Line));
    if (entry.Text.empty() || entry.Text.starts_with(L"//")) return entry;
    entry.NameKey = UpperUnderUserLocale(entry.Text);
    if (entry.Text.back() == L'*') {
        entry.Kind = TKind::Mask;
        entry.Key = entry.Text.substr(0, entry.Text.size() - 1);
    } else {
        entry.Kind = TKind::Plain;
        entry.Key = entry.NameKey;
    }
    return entry;
}

void TFilterList::Assign(std::vector<std::wstring> Lines) {
    // Stable, so of lines equal but for case the first one given stays.
    std::ranges::stable_sort(Lines, LessIgnoringCase);
    const auto repeated = std::ranges::unique(Lines, SameIgnoringCase);
    Lines.erase(repeated.begin(), repeated.end());

    std::vector<TEntry> entries;
    entries.reserve(Lines.size());
    for (const std::wstring& line : Lines) entries.push_back(Prepare(line));

    FLines = std::move(Lines);
    FEntries = std::move(entries);
}

bool TFilterList::Add(const std::wstring& Line) {
    const auto place = std::ranges::lower_bound(FLines, Line, LessIgnoringCase);
    if (place != FLines.end() && SameIgnoringCase(*place, Line)) return false;
    const auto index = place - FLines.begin();
    FEntries.insert(FEntries.begin() + index, Prepare(Line));
    FLines.insert(place, Line);
    return true;
}

bool TFilterList::IsListed(std::wstring_view Text, bool FileMode) const {
    if (!FileMode) {
        // Both sides upper-cased under the user's locale, the text once for
        // all entries: a refresh asks about thousands of names.
        const std::wstring upperName = UpperUnderUserLocale(Text);
        return std::ranges::any_of(FEntries, [&upperName](const TEntry& Entry) {
            return Entry.Kind != TKind::Comment && upperName.starts_with(Entry.NameKey);
        });
    }
    const std::wstring fileName = FileNamePart(Text);
    const std::wstring upperText = UpperUnderUserLocale(Text);
    return std::ranges::any_of(FEntries, [&](const TEntry& Entry) {
        switch (Entry.Kind) {
        case TKind::Mask:
            return EqualsIgnoringAsciiCase(fileName, Entry.Key);
        case TKind::Plain:
            return upperText.find(Entry.Key) != std::wstring::npos;
        case TKind::Comment:
            break;
        }
        return false;
    });
}

void LoadFilterList(TFilterList& List, const wchar_t* ResourceName) {
    const std::optional<std::string_view> bytes = FindOwnResource(ResourceName);
    if (!bytes) return;
    // Strict: a list that is not valid UTF-8 is refused rather than loaded
    // with replacement characters.
    const std::optional<std::wstring> text = WideFromStrictUtf8(WithoutByteOrderMark(*bytes));
    if (!text) return;
    List.Assign(SplitLines(*text));
}

void MergeFilterList(TFilterList& List, const nlohmann::json& Reply, const char* Key) {
    if (!Reply.is_object()) return;
    const auto member = Reply.find(Key);
    if (member == Reply.end() || !member->is_array()) return;
    for (const nlohmann::json& element : *member) {
        if (!element.is_string()) continue;
        const std::optional<std::wstring> line = WideFromStrictUtf8(element.get_ref<const std::string&>());
        if (line) List.Add(*line);
    }
}

bool IsListed(const TFilterList& List, std::wstring_view Text, bool FileMode) { return List.IsListed(Text, FileMode); }

}  // namespace quillon
