#include "autorun/autorun_info.h"

#include "platform/text.h"

namespace quillon {

TAutorunKind KindFromText(std::wstring_view From) {
    if (EqualsIgnoringAsciiCase(From, kFromStartupFile)) return TAutorunKind::StartupFile;
    if (EqualsIgnoringAsciiCase(From, kFromTask)) return TAutorunKind::Task;
    if (EqualsIgnoringAsciiCase(From, kFromService)) return TAutorunKind::Service;
    return TAutorunKind::RunValue;
}

}  // namespace quillon
