#include "i18n/translation.h"

#include "platform/text.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cwchar>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon {
namespace {

// ---------------------------------------------------------------------------
// The built-in table, as the windows use it.

class BuiltInTable : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitTranslation(); }
};

struct TPhrase {
    std::wstring_view Key;  // what the windows carry
    std::wstring_view Ko, En, Fr, Ja;
};

constexpr TPhrase kWindowTexts[] = {
    {L"처음화면", L"처음화면", L"Home", L"Accueil", L"ホーム"},
    {L"Quillon", L"Quillon", L"Quillon", L"Quillon", L"Quillon"},
    {L"프로그램 이름", L"프로그램 이름", L"Program", L"Programme", L"プログラム"},
    {L"출처", L"출처", L"Loc", L"Loc", L"場所"},
    {L"전체목록", L"전체목록", L"All Programs", L"Tous les programmes", L"全プログラム"},
    {L"사용함", L"사용함", L"Enable", L"Activer", L"有効化"},
    {L"사용안함", L"사용안함", L"Disable", L"Désactiver", L"無効化"},
    // The pop-up menu's item has no row: it stays Korean everywhere.
    {L"목록 저장", L"목록 저장", L"목록 저장", L"목록 저장", L"목록 저장"},
};

TEST_F(BuiltInTable, WindowTextsInEveryLanguageAndBack) {
    for (const TPhrase& phrase : kWindowTexts) {
        SCOPED_TRACE(testing::Message() << "key " << std::wstring(phrase.Key));
        const std::array<std::pair<std::wstring_view, std::wstring_view>, 5> expected = {{
            {L"ko", phrase.Ko},
            {L"en", phrase.En},
            {L"fr", phrase.Fr},
            {L"ja", phrase.Ja},
            {L"de", phrase.En},  // not in the table: English
        }};
        for (const auto& [Language, Text] : expected) {
            EXPECT_EQ(Translate(phrase.Key, Language), Text) << "into " << std::wstring(Language);
            // A text already translated is recognised in its own language.
            EXPECT_EQ(Translate(Text, L"ko"), phrase.Ko) << "back from " << std::wstring(Language);
        }
        EXPECT_EQ(Translate(phrase.Key), Translate(phrase.Key, CurrentLanguage()));
    }
}

TEST_F(BuiltInTable, LookupRules) {
    struct TCase {
        std::wstring_view Text, Language, Expected;
    };
    constexpr TCase kCases[] = {
        {L"HOME", L"fr", L"Accueil"},             // ASCII case ignored in the lookup
        {L"Programma", L"ko", L"프로그램 이름"},  // the phrase given in Italian
        {L"Loc", L"ja", L"場所"},                 // English and French share it: one block
        {L"Disable", L"FR", L"Disable"},          // codes match exactly: English
        {L"", L"en", L""},
        {L"a\\nb", L"en", L"a\rb"},  // not a key, line break still made
        {L"No such phrase", L"ko", L"No such phrase"},
        {L"사용함 ", L"en", L"사용함 "},  // not trimmed
    };
    for (const TCase& testCase : kCases) {
        EXPECT_EQ(Translate(testCase.Text, testCase.Language), testCase.Expected)
            << std::wstring(testCase.Text) << " into " << std::wstring(testCase.Language);
    }
}

// A form's caption: the first lookup gives English unless the language is
// Korean, the second brings it to the language.
TEST_F(BuiltInTable, FormCaptionTakesTwoLookups) {
    struct TCase {
        std::wstring_view Caption, Language, First, Second;
    };
    constexpr TCase kCases[] = {
        {L"사용함", L"ko", L"사용함", L"사용함"},          {L"사용함", L"fr", L"Enable", L"Activer"},
        {L"Activer", L"ko", L"사용함", L"사용함"},         {L"Activer", L"ja", L"Enable", L"有効化"},
        {L"사용함", L"de", L"Enable", L"Enable"},          {L"Quillon", L"ar", L"Quillon", L"Quillon"},
        {L"목록 저장", L"en", L"목록 저장", L"목록 저장"},
    };
    for (const TCase& testCase : kCases) {
        SCOPED_TRACE(testing::Message() << std::wstring(testCase.Caption) << " in " << std::wstring(testCase.Language));
        const std::wstring first = TranslateFormCaption(testCase.Caption, testCase.Language);
        EXPECT_EQ(first, testCase.First);
        EXPECT_EQ(Translate(first, testCase.Language), testCase.Second);
        EXPECT_EQ(TranslateFormCaption(testCase.Caption), TranslateFormCaption(testCase.Caption, CurrentLanguage()));
    }
}

// The table's own bytes, to see that its mixed line ends reached the program.
std::string_view ResourceBytes() {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC info = ::FindResourceW(module, L"TRANSLATE", RT_RCDATA);
    if (!info) return {};
    const void* bytes = ::LockResource(::LoadResource(module, info));
    return {static_cast<const char*>(bytes), ::SizeofResource(module, info)};
}

TEST(TranslationResource, KeepsItsByteOrderMarkAndMixedLineEnds) {
    const std::string_view bytes = ResourceBytes();
    ASSERT_FALSE(bytes.empty());
    EXPECT_TRUE(bytes.starts_with("\xEF\xBB\xBF"));
    EXPECT_NE(bytes.find("\r\n"), std::string_view::npos);
    bool loneLf = false;
    for (std::size_t i = 1; i < bytes.size(); ++i) loneLf = loneLf || (bytes[i] == '\n' && bytes[i - 1] != '\r');
    EXPECT_TRUE(loneLf);
}

TEST(TranslationResource, LoadsTenBlocksOfEightLanguages) {
    const TTranslationTable table = LoadTranslationResource();
    const std::vector<std::wstring>& lines = table.Lines();
    constexpr std::array<std::wstring_view, 8> kCodes = {L"ko", L"en", L"ja", L"zh", L"ru", L"it", L"fr", L"ar"};
    constexpr std::size_t kBlocks = 10;
    // Single empty lines between blocks, none after the last.
    ASSERT_EQ(lines.size(), kBlocks * (kCodes.size() + 1) - 1);

    std::set<std::wstring> seenInEarlierBlocks;
    for (std::size_t block = 0; block < kBlocks; ++block) {
        const std::size_t first = block * (kCodes.size() + 1);
        if (block > 0) {
            EXPECT_EQ(lines[first - 1], L"");
        }
        std::set<std::wstring> values;
        for (std::size_t row = 0; row < kCodes.size(); ++row) {
            const std::wstring& line = lines[first + row];
            SCOPED_TRACE(testing::Message() << "block " << block + 1 << ": " << line);
            const std::size_t equals = line.find(L'=');
            ASSERT_NE(equals, std::wstring::npos);
            EXPECT_EQ(std::wstring_view(line).substr(0, equals), kCodes[row]);
            const std::wstring value = AsciiLower(std::wstring_view(line).substr(equals + 1));
            EXPECT_FALSE(value.empty());
            // A value found in an earlier block would send its lookups there.
            EXPECT_EQ(seenInEarlierBlocks.count(value), 0u);
            values.insert(value);
        }
        seenInEarlierBlocks.insert(values.begin(), values.end());
    }
}

// ---------------------------------------------------------------------------
// Reading and looking up any table.

TEST(TranslationTable, SplitsAtEveryKindOfLineEnd) {
    struct TCase {
        std::string_view Bytes;
        std::vector<std::wstring> Lines;
    };
    const TCase kCases[] = {
        {"\xEF\xBB\xBFko=\xEA\xB0\x80\r\nen=A\nfr=B\rit=C", {L"ko=가", L"en=A", L"fr=B", L"it=C"}},
        {"ko=\xEA\xB0\x80\r\n\r\n\n\rko=x", {L"ko=가", L"", L"", L"", L"ko=x"}},
        {"a\r\n", {L"a"}},  // a break at the very end makes no line
        {"a\n\n", {L"a", L""}},
        {"\r\n", {L""}},
        {"\xEF\xBB\xBF", {}},
        {"", {}},
        {"\xEF\xBB\xBF\xEF\xBB\xBFko=a", {L"\xFEFFko=a"}},  // only one mark is skipped
    };
    for (const TCase& testCase : kCases) {
        EXPECT_EQ(TTranslationTable::FromUtf8(testCase.Bytes).Lines(), testCase.Lines)
            << testing::PrintToString(std::string(testCase.Bytes));
    }
}

TEST(TranslationTable, LooksUpWithinOneBlock) {
    const TTranslationTable table = TTranslationTable::FromUtf8(
        "ko=\xED\x95\x98\xEB\x82\x98\r\n"  // 하나
        "en=One\r\n"
        "fr=Un\r\n"
        "\r\n"
        "\n"
        "ko=\xEB\x91\x98\n"  // 둘
        "just a note\n"
        "ja=\xE4\xBA\x8C=2\n"  // 二=2
        "\n"
        "ko=\xEC\xA4\x84\\n\xEB\xB0\x94\xEA\xBF\x88\n"  // 줄\n바꿈
        "fr=Saut\\nde ligne\n");
    struct TCase {
        std::wstring_view Text, Language, Expected;
    };
    constexpr TCase kCases[] = {
        {L"ONE", L"fr", L"Un"},
        {L"하나", L"ja", L"One"},  // no Japanese line: English, not the next block's
        {L"둘", L"fr", L"둘"},     // neither French nor English: unchanged
        {L"둘", L"ja", L"二=2"},   // the value is everything after the first "="
        {L"二=2", L"ko", L"둘"},
        {L"just a note", L"ko", L"just a note"},   // a line without "=" has no value
        {L"줄\\n바꿈", L"fr", L"Saut\rde ligne"},  // found by the text as written
        {L"줄\\n바꿈", L"en", L"줄\r바꿈"},
    };
    for (const TCase& testCase : kCases) {
        EXPECT_EQ(table.Translate(testCase.Text, testCase.Language), testCase.Expected)
            << std::wstring(testCase.Text) << " into " << std::wstring(testCase.Language);
    }
}

// ---------------------------------------------------------------------------
// The user's language, from the real locale.

// The language part of the locale name ("ko" of "ko-KR"), a second way to
// the same answer.
std::wstring LanguageOfLocaleName() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    if (::GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) == 0) return L"en";
    const std::wstring_view text(name, ::wcsnlen(name, std::size(name)));
    return std::wstring(text.substr(0, text.find(L'-')));
}

// Holds under any locale. Wine takes it from LC_ALL even when the host lacks
// that locale (LANG alone then gives English): running this program with
// LC_ALL=zh_TW.UTF-8 or LC_ALL=haw_US.UTF-8 shows "zh" and the cut to "ha".
TEST(UserLanguage, OfThisProcess) {
    InitTranslation();
    const std::wstring language = GetUserLanguage();
    EXPECT_EQ(language, LanguageOfLocaleName());
    EXPECT_EQ(CurrentLanguage(), language.substr(0, 2));
}

TEST(Translation, OnlyRightToLeftLanguagesAreMirrored) {
    EXPECT_TRUE(IsRightToLeftLanguage(L"ar"));
    for (const wchar_t* language : {L"ko", L"en", L"ja", L"zh", L"ru", L"it", L"fr", L"de", L"", L"AR"}) {
        EXPECT_FALSE(IsRightToLeftLanguage(language)) << std::wstring(language).size();
    }
}

}  // namespace
}  // namespace quillon
