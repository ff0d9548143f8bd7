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
    const int Length = static_cast<int>(Text.size());
    const int Needed = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, Text.data(), Length, nullptr, 0,
                                       nullptr, nullptr, 0);
    if (Needed <= 0) return AsciiUpper(Text);
    std::wstring Upper(static_cast<std::size_t>(Needed), L'\0');
    ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, Text.data(), Length, Upper.data(), Needed, nullptr,
                    nullptr, 0);
    return Upper;
}

bool StartsWithUnderUserLocale(std::wstring_view Text, std::wstring_view Prefix) {
    if (Text.size() < Prefix.size()) return false;
    const int Length = static_cast<int>(Prefix.size());
    return ::CompareStringEx(LOCALE_NAME_USER_DEFAULT, NORM_IGNORECASE, Text.data(), Length, Prefix.data(), Length,
                             nullptr, nullptr, 0) == CSTR_EQUAL;
}

}  // namespace

TFilterList::TEntry TFilterList::Prepare(std::wstring_view Line) {
    TEntry Entry;
    Entry.Text = ExpandFolderVariable(Trim(Line));
    if (Entry.Text.empty() || Entry.Text.starts_with(L"//")) return Entry;
    if (Entry.Text.back() == L'*') {
        Entry.Kind = TKind::Mask;
        Entry.Key = Entry.Text.substr(0, Entry.Text.size() - 1);
    } else {
        Entry.Kind = TKind::Plain;
        Entry.Key = UpperUnderUserLocale(Entry.Text);
    }
    return Entry;
}

void TFilterList::Assign(std::vector<std::wstring> Lines) {
    // Stable, so of lines equal but for case the first one given stays.
    std::ranges::stable_sort(Lines, LessIgnoringCase);
    const auto Repeated = std::ranges::unique(Lines, SameIgnoringCase);
    Lines.erase(Repeated.begin(), Repeated.end());

    std::vector<TEntry> Entries;
    Entries.reserve(Lines.size());
    for (const std::wstring& Line : Lines) Entries.push_back(Prepare(Line));

    FLines = std::move(Lines);
    FEntries = std::move(Entries);
}

bool TFilterList::Add(const std::wstring& Line) {
    const auto Place = std::ranges::lower_bound(FLines, Line, LessIgnoringCase);
    if (Place != FLines.end() && SameIgnoringCase(*Place, Line)) return false;
    const auto Index = Place - FLines.begin();
    FEntries.insert(FEntries.begin() + Index, Prepare(Line));
    FLines.insert(Place, Line);
    return true;
}

bool TFilterList::IsListed(std::wstring_view Text, bool FileMode) const {
    if (!FileMode) {
        return std::ranges::any_of(FEntries, [Text](const TEntry& Entry) {
            return Entry.Kind != TKind::Comment && StartsWithUnderUserLocale(Text, Entry.Text);
        });
    }
    const std::wstring FileName = FileNamePart(Text);
    const std::wstring UpperText = UpperUnderUserLocale(Text);
    return std::ranges::any_of(FEntries, [&](const TEntry& Entry) {
        switch (Entry.Kind) {
            case TKind::Mask: return EqualsIgnoringAsciiCase(FileName, Entry.Key);
            case TKind::Plain: return UpperText.find(Entry.Key) != std::wstring::npos;
            case TKind::Comment: break;
        }
        return false;
    });
}

void LoadFilterList(TFilterList& List, const wchar_t* ResourceName) {
    const std::optional<std::string_view> Bytes = FindOwnResource(ResourceName);
    if (!Bytes) return;
    // Strict: a list that is not valid UTF-8 is refused rather than loaded
    // with replacement characters.
    const std::optional<std::wstring> Text = WideFromStrictUtf8(WithoutByteOrderMark(*Bytes));
    if (!Text) return;
    List.Assign(SplitLines(*Text));
}

void MergeFilterList(TFilterList& List, const nlohmann::json& Reply, const char* Key) {
    if (!Reply.is_object()) return;
    const auto Member = Reply.find(Key);
    if (Member == Reply.end() || !Member->is_array()) return;
    for (const nlohmann::json& Element : *Member) {
        if (!Element.is_string()) continue;
        const std::optional<std::wstring> Line = WideFromStrictUtf8(Element.get_ref<const std::string&>());
        if (Line) List.Add(*Line);
    }
}

bool IsListed(const TFilterList& List, std::wstring_view Text, bool FileMode) {
    return List.IsListed(Text, FileMode);
}

}  // namespace quillon
