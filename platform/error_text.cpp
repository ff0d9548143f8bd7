#include "platform/error_text.h"

#include <windows.h>

#include <climits>
#include <exception>

#include "platform/app_error.h"

namespace quillon {

namespace {

// Empty when the bytes are not valid in CodePage (with Flags).
std::wstring Decode(std::string_view Bytes, UINT CodePage, DWORD Flags) {
    if (Bytes.empty() || Bytes.size() > INT_MAX) return {};
    const int Size = static_cast<int>(Bytes.size());
    const int Length = ::MultiByteToWideChar(CodePage, Flags, Bytes.data(), Size, nullptr, 0);
    if (Length <= 0) return {};
    std::wstring Text(static_cast<std::size_t>(Length), L'\0');
    ::MultiByteToWideChar(CodePage, Flags, Bytes.data(), Size, Text.data(), Length);
    return Text;
}

}  // namespace

std::string Utf8FromWide(std::wstring_view Text) {
    if (Text.empty() || Text.size() > INT_MAX) return {};
    const int Size = static_cast<int>(Text.size());
    const int Length =
        ::WideCharToMultiByte(CP_UTF8, 0, Text.data(), Size, nullptr, 0, nullptr, nullptr);
    if (Length <= 0) return {};
    std::string Bytes(static_cast<std::size_t>(Length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, Text.data(), Size, Bytes.data(), Length, nullptr, nullptr);
    return Bytes;
}

std::wstring WideFromExceptionMessage(std::string_view Bytes) {
    std::wstring Text = Decode(Bytes, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (!Text.empty()) return Text;
    return Decode(Bytes, CP_ACP, 0);
}

std::wstring CurrentExceptionText() {
    // Rethrowing with nothing in flight would end the program on the spot.
    const std::exception_ptr Current = std::current_exception();
    if (!Current) return L"Unknown error";
    try {
        std::rethrow_exception(Current);
    } catch (const TAppError& Error) {
        return Error.Message();
    } catch (const std::exception& Error) {
        std::wstring Text = WideFromExceptionMessage(Error.what());
        if (Text.empty()) return L"Unknown error";
        return Text;
    } catch (...) {
        return L"Unknown error";
    }
}

}  // namespace quillon
