#include "platform/errors.h"

#include <cwchar>
#include <utility>

#include "platform/text.h"
#include "platform/utf8.h"

namespace quillon {

TAppError::TAppError(std::wstring Message, std::uint32_t Code, std::wstring Call)
    : FMessage(std::move(Message)), FCode(Code), FCall(std::move(Call)), FWhat(Utf8FromWide(FMessage)) {}

namespace {

// Empty when the system has no text for Code.
std::wstring FormatSystemText(std::uint32_t Code) {
    wchar_t* text = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, Code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = length > 0 ? Trim(std::wstring_view(text, length)) : std::wstring();
    ::LocalFree(text);
    return message;
}

}  // namespace

std::wstring SystemMessage(std::uint32_t Code) {
    std::wstring message = FormatSystemText(Code);
    return message.empty() ? L"System error " + std::to_wstring(Code) : message;
}

void RaiseWin32Error(std::wstring_view Context, DWORD Code, std::wstring_view Call) {
    throw TAppError(std::wstring(Context) + L": " + SystemMessage(Code), Code, std::wstring(Call));
}

void RaiseLastError(std::wstring_view Context, std::wstring_view Call) {
    RaiseWin32Error(Context, ::GetLastError(), Call);
}

void RaiseHResult(std::wstring_view Context, HRESULT Status, std::wstring_view Call) {
    const auto code = static_cast<std::uint32_t>(Status);
    wchar_t hex[16]{};
    std::swprintf(hex, 16, L"0x%08lX", static_cast<unsigned long>(code));
    std::wstring message = std::wstring(Context) + L" (" + hex + L")";
    if (const std::wstring text = FormatSystemText(code); !text.empty()) message += L": " + text;
    throw TAppError(std::move(message), code, std::wstring(Call));
}

}  // namespace quillon
