#include "platform/error_text.h"

#include <windows.h>

#include <exception>

#include "platform/errors.h"
#include "platform/utf8.h"

namespace quillon {

std::wstring WideFromExceptionMessage(std::string_view Bytes) {
    if (std::optional<std::wstring> text = WideFromStrictUtf8(Bytes)) return *std::move(text);
    return WideFromCodePage(Bytes, CP_ACP);
}

std::wstring CurrentExceptionText() {
    // Rethrowing with nothing in flight would end the program on the spot.
    const std::exception_ptr current = std::current_exception();
    if (!current) return L"Unknown error";
    try {
        std::rethrow_exception(current);
    } catch (const TAppError& error) {
        return error.Message();
    } catch (const std::exception& error) {
        std::wstring text = WideFromExceptionMessage(error.what());
        if (text.empty()) return L"Unknown error";
        return text;
    } catch (...) {
        return L"Unknown error";
    }
}

}  // namespace quillon
