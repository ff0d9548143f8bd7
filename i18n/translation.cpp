#include "i18n/translation.h"

#include "platform/resources.h"
#include "platform/text.h"
#include "platform/utf8.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <iterator>
#include <mutex>

namespace quillon {
namespace {

// A line without "=" has an empty name and an empty value.
std::wstring_view NameOf(std::wstring_view Line) {
    const std::size_t Equals = Line.find(L'=');
    return Equals == std::wstring_view::npos ? std::wstring_view() : Line.substr(0, Equals);
}

std::wstring_view ValueOf(std::wstring_view Line) {
    const std::size_t Equals = Line.find(L'=');
    return Equals == std::wstring_view::npos ? std::wstring_view() : Line.substr(Equals + 1);
}

// Texts mark a line break as backslash-n; the controls break at a CR.
std::wstring WithLineBreaks(std::wstring_view Text) {
    std::wstring Result;
    Result.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == L'\\' && i + 1 < Text.size() && Text[i + 1] == L'n') {
            Result += L'\r';
            ++i;
        } else {
            Result += Text[i];
        }
    }
    return Result;
}

struct TTranslationState {
    TTranslationTable Table;
    std::wstring Language;
};

// Null until InitTranslation has run; published with release order so a
// reader on any thread (the service request) sees it complete.
constinit std::atomic<const TTranslationState*> GProcessState{nullptr};

const TTranslationState& ProcessState() {
    static const TTranslationState None;
    const TTranslationState* State = GProcessState.load(std::memory_order_acquire);
    return State ? *State : None;
}

}  // namespace

TTranslationTable TTranslationTable::FromUtf8(std::string_view Bytes) {
    return TTranslationTable(SplitLines(WideFromUtf8(WithoutByteOrderMark(Bytes))));
}

std::wstring TTranslationTable::Translate(std::wstring_view Text, std::wstring_view Language) const {
    if (Text.empty()) return {};
    // The first match wins: "Loc" is both the English and the French text of
    // one block, and the lookup only needs its block.
    const auto Match = std::find_if(FLines.begin(), FLines.end(), [Text](const std::wstring& Line) {
        return EqualsIgnoringAsciiCase(ValueOf(Line), Text);
    });
    if (Match == FLines.end()) return WithLineBreaks(Text);

    auto First = Match;
    while (First != FLines.begin() && !std::prev(First)->empty()) --First;
    const auto Last = std::find_if(Match, FLines.end(), [](const std::wstring& Line) { return Line.empty(); });
    for (const std::wstring_view Code : {Language, std::wstring_view(L"en")}) {
        const auto Line = std::find_if(First, Last, [Code](const std::wstring& Candidate) {
            return NameOf(Candidate) == Code;
        });
        if (Line != Last) return WithLineBreaks(ValueOf(*Line));
    }
    return WithLineBreaks(Text);
}

TTranslationTable LoadTranslationResource() {
    const std::optional<std::string_view> bytes = FindOwnResource(L"translate");
    return bytes ? TTranslationTable::FromUtf8(*bytes) : TTranslationTable();
}

std::wstring GetUserLanguage() {
    const LCID Locale = ::GetUserDefaultLCID();
    const int Length = ::GetLocaleInfoW(Locale, LOCALE_SISO639LANGNAME, nullptr, 0);
    if (Length < 1) return L"en";
    std::wstring Name(static_cast<std::size_t>(Length), L'\0');
    if (::GetLocaleInfoW(Locale, LOCALE_SISO639LANGNAME, Name.data(), Length) == 0) return L"en";
    Name.resize(::wcsnlen(Name.data(), Name.size()));
    return Name;
}

void InitTranslation() {
    static std::once_flag Once;
    std::call_once(Once, [] {
        // Some languages have three-letter names; the table and the service
        // know two-letter codes only.
        static const TTranslationState State{LoadTranslationResource(), GetUserLanguage().substr(0, 2)};
        GProcessState.store(&State, std::memory_order_release);
    });
}

const std::wstring& CurrentLanguage() {
    return ProcessState().Language;
}

std::wstring Translate(std::wstring_view Key) {
    return Translate(Key, {});
}

std::wstring Translate(std::wstring_view Key, std::wstring_view Language) {
    const TTranslationState& State = ProcessState();
    return State.Table.Translate(Key, Language.empty() ? std::wstring_view(State.Language) : Language);
}

std::wstring TranslateFormCaption(std::wstring_view Caption) {
    return TranslateFormCaption(Caption, {});
}

std::wstring TranslateFormCaption(std::wstring_view Caption, std::wstring_view Language) {
    const std::wstring_view Chosen = Language.empty() ? std::wstring_view(CurrentLanguage()) : Language;
    return Translate(Caption, Chosen == L"ko" ? Chosen : L"en");
}

}  // namespace quillon
