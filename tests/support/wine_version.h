#pragma once
// The Windows version that Wine reports to one program of the test prefix,
// for as long as one of these lives: the program then takes the paths it
// takes on that version (before Windows 10 switching off a start-up file
// deletes it). Other programs keep the prefix's version.

#include "platform/registry.h"

#include <string>

namespace quillon::test {

class TWineVersionFor {
public:
    // Program is a file name ("Quillon.exe"); Version one of Wine's names
    // ("win7", "win10").
    TWineVersionFor(const std::wstring& Program, const std::wstring& Version)
        : FKey(L"Software\\Wine\\AppDefaults\\" + Program) {
        TReg::WriteString(HKEY_CURRENT_USER, FKey, L"Version", Version);
    }
    ~TWineVersionFor() { TReg::DeleteValue(HKEY_CURRENT_USER, FKey, L"Version"); }
    TWineVersionFor(const TWineVersionFor&) = delete;
    TWineVersionFor& operator=(const TWineVersionFor&) = delete;

private:
    std::wstring FKey;
};

}  // namespace quillon::test
