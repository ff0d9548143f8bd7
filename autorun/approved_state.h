#pragma once
// The approved-state value: the 12-byte REG_BINARY that Explorer's start-up
// manager keeps per Run value and per start-up file. Byte 0 is 0x02 for on,
// 0x03 for off; bytes 1-3 are zero; bytes 4-11 the FILETIME (UTC) of the
// change, least significant byte first.

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>

#include "platform/registry.h"

namespace quillon {

// Below HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER.
inline constexpr const wchar_t* kApprovedRunKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
// For the values of the 32-bit (Wow6432Node) Run key.
inline constexpr const wchar_t* kApprovedRun32Key =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run32";
// For start-up folder files, by file name with extension.
inline constexpr const wchar_t* kApprovedStartupFolderKey =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\StartupFolder";

// The state key of a Run key's values: Run32 for the 32-bit (Wow6432Node)
// Run key, found ignoring ASCII case, Run for every other.
const wchar_t* ApprovedKeyForRunKey(std::wstring_view RunKey);

// Where a start-up file's state lives: under HKEY_LOCAL_MACHINE when its
// folder is exactly the common start-up folder as the shell names it now,
// under HKEY_CURRENT_USER otherwise.
HKEY ApprovedRootForStartupFolder(const std::wstring& Folder);

// A value for the wanted state stamped with the given time.
TBytes MakeApprovedValueAt(bool Enable, FILETIME Stamp);
// A value for the wanted state stamped with the current time.
TBytes MakeApprovedValue(bool Enable);

// Off only for exactly 12 bytes whose first byte is not 0x02; anything
// else, a missing value included, counts as on.
bool IsApprovedStateOn(std::span<const std::uint8_t> Bytes);
// The state that the value Name of Key under RootKey records.
bool ReadApprovedState(HKEY RootKey, const std::wstring& Key, const std::wstring& Name);

// The states one key records, read in a single pass, for a source that asks
// about many names: each answer is what ReadApprovedState gives.
class TApprovedStates {
public:
    TApprovedStates(HKEY RootKey, const std::wstring& Key);
    [[nodiscard]] bool IsOn(std::wstring_view Name) const;

private:
    // The names, folded as the registry compares them, recorded as off.
    std::unordered_set<std::wstring> FOff;
};

}  // namespace quillon
