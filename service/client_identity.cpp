#include "service/client_identity.h"

#include "platform/files.h"
#include "platform/unique_handle.h"

#include <windows.h>

#include <array>
#include <cwchar>
#include <optional>
#include <random>
#include <vector>

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

// The value's text, or nothing when it is not a string value.
std::optional<std::wstring> ReadStringValue(HKEY Key, const wchar_t* Name) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(Key, Name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
    DWORD read = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (::RegQueryValueExW(Key, Name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &read) != ERROR_SUCCESS)
        return std::nullopt;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return std::nullopt;
    // The stored text ends at its first NUL, whether or not one was stored.
    return std::wstring(buffer.data(), ::wcsnlen(buffer.data(), read / sizeof(wchar_t)));
}

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
    return ReadStringValue(key.get(), kClientIdValue).value_or(std::wstring());
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
    std::array<unsigned, 4> numbers{};
    const std::wstring path = ModulePath();
    DWORD ignored = 0;
    const DWORD size = path.empty() ? 0 : ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<std::byte> block(size);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (size == 0 || !::GetFileVersionInfoW(path.c_str(), 0, size, block.data()) ||
        !::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedSize) || !fixed ||
        fixedSize < sizeof(VS_FIXEDFILEINFO)) {
        return L"0.0.0.0";
    }
    numbers = {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
               LOWORD(fixed->dwFileVersionLS)};

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
