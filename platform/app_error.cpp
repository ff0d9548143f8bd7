#include "platform/app_error.h"

#include <utility>

#include "platform/error_text.h"

namespace quillon {

TAppError::TAppError(std::wstring Message)
    : FMessage(std::move(Message)), FWhat(Utf8FromWide(FMessage)) {}

}  // namespace quillon
