#include "service/client_identity.h"

#include "platform/files.h"
#include "platform/registry.h"
#include "platform/unique_handle.h"
#include "platform/version_info.h"

#include <windows.h>

#include <array>
#include <optional>
#include <random>

namespace quillon {
namespace {

// Each thread draws from its own generator, so the worker thread and the
// user-interface thread never share one.
std::mt19937& Generator() {
    thread_local std::mt19937 generator = [] {
        LARGE_INTEGER counter{};
        ::QueryPerformanceCounter(&counter);
        std::random_device entropy;
        std::seed_seq seed{static_cast<unsigned>(counter.LowPart), static_cast<unsigned>(counter.HighPart), entropy(),
                           static_cast<unsigned>(::GetCurrentThreadId())};
        return std::mt19937(seed);
    }();
    return generator;
}

unsigned RandomBelow(unsigned Limit) { return std::uniform_int_distribution<unsigned>(0, Limit - 1)(Generator()); }

}  // namespace

std::wstring GetUID() {
    UniqueHKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kClientIdKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE | KEY_WOW64_64KEY, nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        return {};
    }
    const LSTATUS status = ::RegQueryValueExW(key.get(), kClientIdValue, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_FILE_NOT_FOUND) {
        const std::wstring made = NewUID();
        const auto bytes = static_cast<DWORD>((made.size() + 1) * sizeof(wchar_t));
        if (::RegSetValueExW(key.get(), kClientIdValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(made.c_str()),
                             bytes) != ERROR_SUCCESS) {
            return {};
        }
    } else if (status != ERROR_SUCCESS) {
        return {};  // it may exist: never replace what cannot be read
    }
    return TRegReader(HKEY_CURRENT_USER, kClientIdKey).ReadString(kClientIdValue);
}

std::wstring NewUID() {
    SYSTEMTIME date{};
    ::GetLocalTime(&date);
    const unsigned first = RandomBelow(2147483647u);
    const unsigned middle = RandomBelow(65535u);
    const unsigned last = RandomBelow(2147483647u);
    // The time is read again: the design takes the date and the time from
    // two readings of the clock.
    SYSTEMTIME time{};
    ::GetLocalTime(&time);
    std::array<wchar_t, 33> text{};
    std::swprintf(text.data(), text.size(), L"%08X%02u%02u%02u%04X%02u%02u%02u%08X", first, date.wYear % 100u,
                  static_cast<unsigned>(date.wMonth), static_cast<unsigned>(date.wDay), middle,
                  static_cast<unsigned>(time.wHour), static_cast<unsigned>(time.wMinute),
                  static_cast<unsigned>(time.wSecond), last);
    return text.data();
}

std::wstring GetAppVersion(std::wstring_view Pattern) {
    const std::wstring path = ModulePath();
    const std::optional<std::array<unsigned, 4>> version = path.empty() ? std::nullopt : ReadFileVersion(path);
    if (!version) return L"0.0.0.0";
    const std::array<unsigned, 4>& numbers = *version;

    std::wstring text;
    std::size_t next = 0;
    for (std::size_t at = 0; at < Pattern.size(); ++at) {
        if (Pattern.substr(at, 2) == L"%d" && next < numbers.size()) {
            text += std::to_wstring(numbers[next++]);
            ++at;
        } else {
            text += Pattern[at];
        }
    }
    return text;
}

}  // namespace quillon
