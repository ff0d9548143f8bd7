#pragma once
// FNV-1a, 64 bits: short, and stable across compilers and their libraries
// (std::hash promises neither), for signatures that are written to files
// and for hash tables over text.

#include <cstdint>
#include <type_traits>

namespace quillon {

class TFnv1a {
public:
    // Mixes in one unit: a byte, or a UTF-16 code unit.
    constexpr void Add(std::uint64_t Unit) noexcept { FHash = (FHash ^ Unit) * kPrime; }

    template <typename TRange>
    constexpr void AddAll(const TRange& Units) noexcept {
        for (const auto unit : Units)
            Add(static_cast<std::uint64_t>(static_cast<std::make_unsigned_t<decltype(unit)>>(unit)));
    }

    [[nodiscard]] constexpr std::uint64_t Value() const noexcept { return FHash; }

private:
    static constexpr std::uint64_t kOffsetBasis = 14695981039346656037ull;
    static constexpr std::uint64_t kPrime = 1099511628211ull;
    std::uint64_t FHash = kOffsetBasis;
};

}  // namespace quillon
