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
    const std::size_t equals = Line.find(L'=');
    return equals == std::wstring_view::npos ? std::wstring_view() : Line.substr(0, equals);
}

std::wstring_view ValueOf(std::wstring_view Line) {
    const std::size_t equals = Line.find(L'=');
    return equals == std::wstring_view::npos ? std::wstring_view() : Line.substr(equals + 1);
}

// Texts mark a line break as backslash-n; the controls break at a CR.
std::wstring WithLineBreaks(std::wstring_view Text) {
    std::wstring result;
    result.reserve(Text.size());
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (Text[i] == L'\\' && i + 1 < Text.size() && Text[i + 1] == L'n') {
            result += L'\r';
            ++i;
        } else {
            result += Text[i];
        }
    }
    return result;
}

struct TTranslationState {
    TTranslationTable Table;
    std::wstring Language;
};

// Null until InitTranslation has run; published with release order so a
// reader on any thread (the service request) sees it complete.
constinit std::atomic<const TTranslationState*> GProcessState{nullptr};

const TTranslationState& ProcessState() {
    static const TTranslationState kNone;
    const TTranslationState* state = GProcessState.load(std::memory_order_acquire);
    return state ? *state : kNone;
}

}  // namespace

TTranslationTable TTranslationTable::FromUtf8(std::string_view Bytes) {
    return TTranslationTable(SplitLines(WideFromUtf8(WithoutByteOrderMark(Bytes))));
}

std::wstring TTranslationTable::Translate(std::wstring_view Text, std::wstring_view Language) const {
    if (Text.empty()) return {};
    // The first match wins: "Loc" is both the English and the French text of
    // one block, and the lookup only needs its block.
    const auto match = std::find_if(FLines.begin(), FLines.end(), [Text](const std::wstring& Line) {
        return EqualsIgnoringAsciiCase(ValueOf(Line), Text);
    });
    if (match == FLines.end()) return WithLineBreaks(Text);

    auto first = match;
    while (first != FLines.begin() && !std::prev(first)->empty()) --first;
    const auto last = std::find_if(match, FLines.end(), [](const std::wstring& Line) { return Line.empty(); });
    for (const std::wstring_view code : {Language, std::wstring_view(L"en")}) {
        const auto line =
            std::find_if(first, last, [code](const std::wstring& Candidate) { return NameOf(Candidate) == code; });
        if (line != last) return WithLineBreaks(ValueOf(*line));
    }
    return WithLineBreaks(Text);
}

TTranslationTable LoadTranslationResource() {
    const std::optional<std::string_view> bytes = FindOwnResource(L"translate");
    return bytes ? TTranslationTable::FromUtf8(*bytes) : TTranslationTable();
}

std::wstring GetUserLanguage() {
    const LCID locale = ::GetUserDefaultLCID();
    const int length = ::GetLocaleInfoW(locale, LOCALE_SISO639LANGNAME, nullptr, 0);
    if (length < 1) return L"en";
    std::wstring name(static_cast<std::size_t>(length), L'\0');
    if (::GetLocaleInfoW(locale, LOCALE_SISO639LANGNAME, name.data(), length) == 0) return L"en";
    name.resize(::wcsnlen(name.data(), name.size()));
    return name;
}

void InitTranslation() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Some languages have three-letter names; the table and the service
        // know two-letter codes only.
        static const TTranslationState kState{LoadTranslationResource(), GetUserLanguage().substr(0, 2)};
        GProcessState.store(&kState, std::memory_order_release);
    });
}

bool IsRightToLeftLanguage(std::wstring_view Language) {
    // Arabic is the one such language the table holds; Hebrew, Persian and
    // Urdu would be mirrored too, though they show in English.
    for (const std::wstring_view code : {L"ar", L"he", L"fa", L"ur"}) {
        if (Language == code) return true;
    }
    return false;
}

const std::wstring& CurrentLanguage() { return ProcessState().Language; }

std::wstring Translate(std::wstring_view Key) { return Translate(Key, {}); }

std::wstring Translate(std::wstring_view Key, std::wstring_view Language) {
    const TTranslationState& state = ProcessState();
    return state.Table.Translate(Key, Language.empty() ? std::wstring_view(state.Language) : Language);
}

std::wstring TranslateFormCaption(std::wstring_view Caption) { return TranslateFormCaption(Caption, {}); }

std::wstring TranslateFormCaption(std::wstring_view Caption, std::wstring_view Language) {
    const std::wstring_view chosen = Language.empty() ? std::wstring_view(CurrentLanguage()) : Language;
    return Translate(Caption, chosen == L"ko" ? chosen : L"en");
}

}  // namespace quillon
