#include "tools/bench/bare_enumeration.h"

#include <vector>

namespace quillon::bench {

std::size_t BareRunKey(HKEY Root, const wchar_t* Key, const wchar_t* ApprovedKey) {
    HKEY run = nullptr;
    HKEY approved = nullptr;
    std::size_t seen = 0;
    if (::RegOpenKeyExW(Root, Key, 0, KEY_READ | KEY_WOW64_64KEY, &run) != ERROR_SUCCESS) return 0;
    if (ApprovedKey) ::RegOpenKeyExW(Root, ApprovedKey, 0, KEY_READ | KEY_WOW64_64KEY, &approved);
    std::vector<wchar_t> name(16384);
    std::vector<BYTE> data(65536);
    BYTE state[64];
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD dataSize = static_cast<DWORD>(data.size());
        if (::RegEnumValueW(run, index, name.data(), &nameLength, nullptr, nullptr, data.data(), &dataSize) !=
            ERROR_SUCCESS) {
            break;
        }
        DWORD stateSize = sizeof(state);
        if (approved) ::RegQueryValueExW(approved, name.data(), nullptr, nullptr, state, &stateSize);
        ++seen;
    }
    if (approved) ::RegCloseKey(approved);
    ::RegCloseKey(run);
    return seen;
}

std::size_t BareFolder(const std::wstring& Folder, const wchar_t* ApprovedKey) {
    HKEY approved = nullptr;
    if (ApprovedKey) ::RegOpenKeyExW(HKEY_CURRENT_USER, ApprovedKey, 0, KEY_READ | KEY_WOW64_64KEY, &approved);
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW((Folder + L"\\*").c_str(), &found);
    std::size_t seen = 0;
    BYTE state[64];
    if (find != INVALID_HANDLE_VALUE) {
        do {
            DWORD stateSize = sizeof(state);
            if (approved) ::RegQueryValueExW(approved, found.cFileName, nullptr, nullptr, state, &stateSize);
            ++seen;
        } while (::FindNextFileW(find, &found));
        ::FindClose(find);
    }
    if (approved) ::RegCloseKey(approved);
    return seen;
}

std::size_t BareServices() {
    SC_HANDLE manager = ::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE);
    if (!manager) return 0;
    DWORD needed = 0;
    DWORD count = 0;
    DWORD resume = 0;
    ::EnumServicesStatusW(manager, SERVICE_WIN32, SERVICE_STATE_ALL, nullptr, 0, &needed, &count, &resume);
    std::vector<ENUM_SERVICE_STATUSW> records(needed / sizeof(ENUM_SERVICE_STATUSW) + 1);
    resume = 0;
    ::EnumServicesStatusW(manager, SERVICE_WIN32, SERVICE_STATE_ALL, records.data(),
                          static_cast<DWORD>(records.size() * sizeof(ENUM_SERVICE_STATUSW)), &needed, &count, &resume);
    std::vector<QUERY_SERVICE_CONFIGW> config(8192 / sizeof(QUERY_SERVICE_CONFIGW) + 1);
    for (DWORD i = 0; i < count; ++i) {
        SC_HANDLE service = ::OpenServiceW(manager, records[i].lpServiceName, SERVICE_QUERY_CONFIG);
        if (!service) continue;
        ::QueryServiceConfigW(service, config.data(), static_cast<DWORD>(config.size() * sizeof(QUERY_SERVICE_CONFIGW)),
                              &needed);
        ::CloseServiceHandle(service);
    }
    ::CloseServiceHandle(manager);
    return count;
}

void PumpMessages() {
    MSG msg{};
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

}  // namespace quillon::bench
