#pragma once
// Owners for the two COM value types the program passes around: BSTR and
// VARIANT. (The compiler's own helpers for them do not link with MinGW.)

#include <windows.h>
#include <oleauto.h>

#include <new>
#include <string>
#include <string_view>

#include "platform/unique_handle.h"

namespace quillon {

struct BstrTraits {
    using Handle = BSTR;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::SysFreeString(h); }
};

using UniqueBstr = UniqueHandle<BstrTraits>;

// A BSTR holding Text; throws std::bad_alloc when none can be allocated.
inline UniqueBstr MakeBstr(std::wstring_view Text) {
    UniqueBstr bstr(::SysAllocStringLen(Text.data(), static_cast<UINT>(Text.size())));
    if (!bstr) throw std::bad_alloc();
    return bstr;
}

// A null BSTR is COM's empty text.
inline std::wstring BstrText(BSTR Text) { return Text ? std::wstring(Text, ::SysStringLen(Text)) : std::wstring(); }

// A VARIANT that clears what it holds when it goes. COM methods take
// VARIANTs by value as a borrowed copy, so get() is what they are passed.
class TVariant {
public:
    TVariant() noexcept { ::VariantInit(&FValue); }
    explicit TVariant(LONG Value) noexcept : TVariant() {
        FValue.vt = VT_I4;
        FValue.lVal = Value;
    }
    ~TVariant() { ::VariantClear(&FValue); }

    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;

    [[nodiscard]] const VARIANT& get() const noexcept { return FValue; }

private:
    VARIANT FValue;
};

}  // namespace quillon
