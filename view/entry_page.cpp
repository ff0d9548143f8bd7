#include "view/entry_page.h"

#include "platform/text.h"

namespace quillon {

std::wstring EntryPageUrl(std::wstring_view From, std::wstring_view Target) {
    std::wstring page(From);
    page += L'/';
    page += FileNamePart(Target);
    return kEntryPageBaseUrl + AsciiLower(page);
}

}  // namespace quillon
