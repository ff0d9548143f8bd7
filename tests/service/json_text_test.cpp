// Reading values out of the reply by text search, and decoding them.
#include "service/json_text.h"

#include "platform/utf8.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(ExtractBetween, FindsTheTextBetweenTwoMarkers) {
    struct TCase {
        const wchar_t* Source;
        const wchar_t* Start;
        const wchar_t* End;
        const wchar_t* Expected;
    };
    const TCase cases[] = {
        {LR"({"update":"https://q.app/d","x":1})", LR"("update":")", L"\"", L"https://q.app/d"},
        // ASCII letters in the markers ignore case, in both directions.
        {LR"({"Update":"a"})", LR"("update":")", L"\"", L"a"},
        {LR"({"UPDATE":"a"})", LR"("update":")", L"\"", L"a"},
        {LR"({"update":"a"})", LR"("UPDATE":")", L"\"", L"a"},
        // Letters beyond ASCII do not fold.
        {L"{\"\u00e9t\u00e9\":\"x\"}", L"\"\u00c9T\u00c9\":\"", L"\"", L""},
        {L"{\"\u00e9t\u00e9\":\"x\"}", L"\"\u00e9T\u00e9\":\"", L"\"", L"x"},
        // The first occurrence counts, at whatever depth.
        {LR"({"a":{"update":"inner"},"update":"outer"})", LR"("update":")", L"\"", L"inner"},
        // A quote with a backslash before it does not end the value.
        {LR"({"text":"say \"hi\" now","z":1})", LR"("text":")", L"\"", LR"(say \"hi\" now)"},
        // Nor does it make a marker: a key inside an escaped string is text.
        {LR"({"t":"\"update\":\"fake\"","update":"real"})", LR"("update":")", L"\"", L"real"},
        // The single quote masks the same way when it is the end marker.
        {LR"(a='it\'s' b)", L"a='", L"'", LR"(it\'s)"},
        // Missing markers give empty text.
        {LR"({"other":"a"})", LR"("update":")", L"\"", L""},
        {LR"({"update":"never ends)", LR"("update":")", L"\"", L""},
        {L"", LR"("update":")", L"\"", L""},
        // A space after the colon is another pattern.
        {LR"({"update": "a"})", LR"("update":")", L"\"", L""},
        // The end marker right after the start gives empty text.
        {LR"({"update":""})", LR"("update":")", L"\"", L""},
        // "info" cut at its first closing brace, without the braces.
        {LR"({"info":{"style":"hold","text":"x"},"y":{}})", LR"("info":{)", L"}", LR"("style":"hold","text":"x")"},
        {LR"({"info":{"a":{"b":1}}})", LR"("info":{)", L"}", LR"("a":{"b":1)"},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(ExtractBetween(c.Source, c.Start, c.End), c.Expected) << ::testing::PrintToString(c.Source);
    }
}

TEST(UnescapeJSON, DecodesEveryEscape) {
    struct TCase {
        const wchar_t* Value;
        std::wstring Expected;
    };
    const TCase cases[] = {
        {L"plain text", L"plain text"},
        {LR"(https:\/\/q.app\/d)", L"https://q.app/d"},
        {LR"(\"q\" \'s\' \\ \/)", LR"("q" 's' \ /)"},
        {LR"(\b\f\n\r\t)", L"\b\f\n\r\t"},
        {LR"(caf\u00e9 \u00C9)", L"caf\u00e9 \u00c9"},
        // Two escapes of a surrogate pair make one character.
        {LR"(\uD83D\uDE00)", L"\U0001F600"},
        // Fewer than four digits at the very end are still one unit.
        {LR"(\u41)", L"A"},
        {LR"(\u00e)", L"\u000e"},
        // Unknown escapes and a final backslash vanish.
        {LR"(a\qb)", L"ab"},
        {L"end\\", L"end"},
        {L"", L""},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(UnescapeJSON(c.Value), c.Expected) << ::testing::PrintToString(c.Value);
    }
    EXPECT_EQ(Utf8FromWide(*UnescapeJSON(LR"(\uD83D\uDE00)")), "\xF0\x9F\x98\x80") << "one character in UTF-8";
}

TEST(UnescapeJSON, RefusesAUnicodeEscapeThatIsNoNumber) {
    for (const wchar_t* value : {LR"(\u)", LR"(a\u12G4b)", LR"(\uZZZZ)", LR"(x\u 041)",
                                 LR"(\u4)"
                                 L"\u00e9"}) {
        EXPECT_FALSE(UnescapeJSON(value)) << ::testing::PrintToString(value);
    }
}

}  // namespace
}  // namespace quillon
