#include "service/notice.h"

#include "service/json_text.h"
#include "service/web_link.h"

namespace quillon {
namespace {

// The decoded string value of Key in Text, or empty text.
std::wstring StringValue(const std::wstring& Text, const wchar_t* Key) {
    const std::wstring pattern = std::wstring(L"\"") + Key + L"\":\"";
    return UnescapeJSON(ExtractBetween(Text, pattern, L"\"")).value_or(std::wstring());
}

}  // namespace

std::wstring ReadUpdateLink(const std::wstring& Data) {
    std::wstring link = StringValue(Data, L"update");
    return IsWebAddress(link) ? link : std::wstring();
}

TNotice ReadNotice(const std::wstring& Data) {
    const std::wstring info = ExtractBetween(Data, L"\"info\":{", L"}");
    return {StringValue(info, L"style"), StringValue(info, L"text"), StringValue(info, L"flag"),
            StringValue(info, L"url")};
}

int ScaleByPercent(int Value, UINT Dpi) {
    const int percent = ::MulDiv(static_cast<int>(Dpi), 100, 96);
    return ::MulDiv(Value, percent, 100);
}

TNoticeRow NoticeRowLayout(int WindowHeight, int Offset, UINT Dpi) {
    TNoticeRow row;
    row.WindowHeight = WindowHeight + ScaleByPercent(40 - Offset, Dpi);
    row.SeparatorTop = row.WindowHeight - ScaleByPercent(76 - Offset, Dpi);
    row.ControlTop = row.WindowHeight - ScaleByPercent(66 - Offset, Dpi);
    row.ControlLeft = ScaleByPercent(10, Dpi);
    return row;
}

}  // namespace quillon
