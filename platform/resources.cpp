#include "platform/resources.h"

#include <windows.h>

namespace quillon {

std::optional<std::string_view> FindOwnResource(const wchar_t* Name) {
    const HMODULE module = ::GetModuleHandleW(nullptr);
    const HRSRC info = ::FindResourceW(module, Name, RT_RCDATA);
    if (!info) return std::nullopt;
    const HGLOBAL loaded = ::LoadResource(module, info);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes) return std::nullopt;
    return std::string_view(static_cast<const char*>(bytes), ::SizeofResource(module, info));
}

}  // namespace quillon
