#pragma once
// A one-off cleanup that runs however the scope ends.

#include <utility>

namespace quillon {

template <typename TFn>
class [[nodiscard]] TScopeExit {
public:
    explicit TScopeExit(TFn Fn) : FFn(std::move(Fn)) {}
    ~TScopeExit() {
        if (FArmed) FFn();
    }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

    // The cleanup is no longer wanted (the work it undoes has succeeded).
    void Release() noexcept { FArmed = false; }

private:
    TFn FFn;
    bool FArmed = true;
};

template <typename TFn>
[[nodiscard]] TScopeExit<TFn> ScopeExit(TFn Fn) {
    return TScopeExit<TFn>(std::move(Fn));
}

}  // namespace quillon
