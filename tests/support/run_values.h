#pragma once
// Values of the current user's Run key made for one test, removed again
// (with any state value that switching wrote for them) however the test
// ends. Names should carry the process id, so that a crashed earlier run
// cannot get in the way.

#include "autorun/approved_state.h"
#include "platform/registry.h"

#include <windows.h>

#include <string>
#include <vector>

namespace quillon::test {

class TRunValues {
public:
    static constexpr wchar_t kKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

    TRunValues() = default;
    TRunValues(const TRunValues&) = delete;
    TRunValues& operator=(const TRunValues&) = delete;
    ~TRunValues() {
        for (const std::wstring& name : FNames) {
            TReg::DeleteValue(HKEY_CURRENT_USER, kKey, name);
            TReg::DeleteValue(HKEY_CURRENT_USER, kApprovedRunKey, name);
        }
    }

    // Writes the value Name = Command; returns Name.
    const std::wstring& Add(const std::wstring& Name, const std::wstring& Command) {
        FNames.push_back(Name);
        TReg::WriteString(HKEY_CURRENT_USER, kKey, Name, Command);
        return FNames.back();
    }

    // The values' names, in the order they were added.
    [[nodiscard]] const std::vector<std::wstring>& Names() const noexcept { return FNames; }

private:
    std::vector<std::wstring> FNames;
};

}  // namespace quillon::test
