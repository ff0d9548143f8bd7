#include "service/json_text.h"

#include "platform/text.h"

namespace quillon {
namespace {

// What the search sees of Source at Index: ASCII letters upper-cased and,
// when the end marker is a quote, a quote that follows a backslash turned
// into a backslash, so that it can match neither marker. (Backslash-quote
// pairs cannot overlap, so looking one character back is enough.)
wchar_t SearchedChar(std::wstring_view Source, std::size_t Index, wchar_t MaskedQuote) {
    const wchar_t c = Source[Index];
    if (MaskedQuote != 0 && c == MaskedQuote && Index > 0 && Source[Index - 1] == L'\\') return L'\\';
    return AsciiUpperChar(c);
}

// The first position at or after From where Marker matches, or npos.
std::size_t FindMarker(std::wstring_view Source, std::wstring_view Marker, std::size_t From, wchar_t MaskedQuote) {
    if (Marker.empty() || Source.size() < Marker.size()) return std::wstring_view::npos;
    for (std::size_t at = From; at + Marker.size() <= Source.size(); ++at) {
        std::size_t matched = 0;
        while (matched < Marker.size() &&
               SearchedChar(Source, at + matched, MaskedQuote) == AsciiUpperChar(Marker[matched])) {
            ++matched;
        }
        if (matched == Marker.size()) return at;
    }
    return std::wstring_view::npos;
}

int HexDigit(wchar_t C) {
    if (C >= L'0' && C <= L'9') return C - L'0';
    if (C >= L'a' && C <= L'f') return C - L'a' + 10;
    if (C >= L'A' && C <= L'F') return C - L'A' + 10;
    return -1;
}

}  // namespace

std::wstring ExtractBetween(std::wstring_view Source, std::wstring_view StartText, std::wstring_view EndText) {
    const wchar_t maskedQuote = EndText == L"\"" || EndText == L"'" ? EndText[0] : L'\0';
    const std::size_t start = FindMarker(Source, StartText, 0, maskedQuote);
    if (start == std::wstring_view::npos) return {};
    const std::size_t content = start + StartText.size();
    const std::size_t end = FindMarker(Source, EndText, content, maskedQuote);
    if (end == std::wstring_view::npos) return {};
    return std::wstring(Source.substr(content, end - content));
}

// The one-letter escapes and what each stands for, letter by letter.
constexpr std::wstring_view kEscapes = L"\"'/\\bfnrt";
constexpr std::wstring_view kMeanings = L"\"'/\\\b\f\n\r\t";
static_assert(kEscapes.size() == kMeanings.size());

std::optional<std::wstring> UnescapeJSON(std::wstring_view Value) {
    std::wstring result;
    result.reserve(Value.size());
    for (std::size_t at = 0; at < Value.size();) {
        const wchar_t c = Value[at];
        if (c != L'\\') {
            result.push_back(c);
            ++at;
            continue;
        }
        const wchar_t escaped = at + 1 < Value.size() ? Value[at + 1] : L'\0';
        at += 2;
        if (escaped == L'u') {
            const std::wstring_view digits = Value.substr(std::min(at, Value.size()), 4);
            if (digits.empty()) return std::nullopt;
            unsigned unit = 0;
            for (const wchar_t digit : digits) {
                const int value = HexDigit(digit);
                if (value < 0) return std::nullopt;
                unit = unit * 16 + static_cast<unsigned>(value);
            }
            result.push_back(static_cast<wchar_t>(unit));
            at += digits.size();
        } else if (const std::size_t known = kEscapes.find(escaped); known != std::wstring_view::npos) {
            result.push_back(kMeanings[known]);
        }
        // Any other escape, or a backslash at the end, is dropped.
    }
    return result;
}

}  // namespace quillon
