#pragma once
// A one-off cleanup that runs however the scope is left.

#include <utility>

namespace quillon {

template <typename TCleanup>
class [[nodiscard]] TScopeExit {
public:
    explicit TScopeExit(TCleanup Cleanup) : FCleanup(std::move(Cleanup)) {}
    ~TScopeExit() { FCleanup(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    TCleanup FCleanup;
};

// auto cleanup = ScopeExit([&] { ... });
template <typename TCleanup>
TScopeExit<TCleanup> ScopeExit(TCleanup Cleanup) {
    return TScopeExit<TCleanup>(std::move(Cleanup));
}

}  // namespace quillon
