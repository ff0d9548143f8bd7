#pragma once
// The user-interface language and the built-in translation table.
//
// The windows are written with Korean texts; each text is a key into a table
// of blocks, one block per phrase with one "code=text" line per language.
// A text in any of the table's languages finds its block, so translating an
// already translated text again changes nothing. A language that a block
// lacks gets English; a text that no block holds comes back as it is.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon {

class TTranslationTable {
public:
    TTranslationTable() = default;

    // Decodes UTF-8 (a leading byte-order mark skipped) and splits it into
    // lines at CR LF, LF or a lone CR. A line break at the very end makes no
    // extra empty line.
    static TTranslationTable FromUtf8(std::string_view Bytes);

    const std::vector<std::wstring>& Lines() const noexcept { return FLines; }

    // Text in Language (a code such as "fr", matched exactly), else in
    // English. Text is looked up ignoring ASCII case among the values of
    // every language. "\n" (backslash, n) in the result becomes a CR, also
    // when Text is not in the table.
    std::wstring Translate(std::wstring_view Text, std::wstring_view Language) const;

private:
    explicit TTranslationTable(std::vector<std::wstring> Lines) : FLines(std::move(Lines)) {}

    std::vector<std::wstring> FLines;
};

// The table embedded in this program as the RCDATA resource "translate";
// empty when the resource is missing.
TTranslationTable LoadTranslationResource();

// The ISO 639 name of the user's default locale ("ko", "zh" for every Chinese
// locale, or three letters for some languages); "en" when the system has
// none. Follows the regional-format setting, not the display language.
std::wstring GetUserLanguage();

// Loads the table and chooses the language (the first two letters of
// GetUserLanguage) once; later calls do nothing. Called before any window
// exists, so everything that reads either later needs no lock.
void InitTranslation();

// Whether Language is written from right to left, so its windows are
// mirrored: "ar" among the languages of the table.
bool IsRightToLeftLanguage(std::wstring_view Language);

// The two-letter code chosen by InitTranslation; empty before it has run.
const std::wstring& CurrentLanguage();

// Key in the current language. Before InitTranslation has run, only the
// "\n" replacement applies.
std::wstring Translate(std::wstring_view Key);
// Key in Language; an empty Language means the current one.
std::wstring Translate(std::wstring_view Key, std::wstring_view Language);

// The first of the two lookups a form's caption goes through: Korean stays
// Korean, every other language gets English. The main window then passes the
// result through Translate once more, which brings it to the current
// language. An empty Language means the current one.
std::wstring TranslateFormCaption(std::wstring_view Caption);
std::wstring TranslateFormCaption(std::wstring_view Caption, std::wstring_view Language);

}  // namespace quillon
