#include "autorun/approved_state.h"

#include "platform/folders.h"
#include "platform/text.h"

#include <shlobj.h>

namespace quillon {
namespace {

constexpr std::size_t kApprovedValueSize = 12;
constexpr std::uint8_t kStateOn = 0x02;
constexpr std::uint8_t kStateOff = 0x03;

void PutLittleEndian(TBytes& Bytes, std::size_t Offset, DWORD Value) {
    for (std::size_t i = 0; i < sizeof Value; ++i) Bytes[Offset + i] = static_cast<std::uint8_t>(Value >> (8 * i));
}

}  // namespace

const wchar_t* ApprovedKeyForRunKey(std::wstring_view RunKey) {
    return ContainsIgnoringAsciiCase(RunKey, L"Wow6432Node") ? kApprovedRun32Key : kApprovedRunKey;
}

HKEY ApprovedRootForStartupFolder(const std::wstring& Folder) {
    // Compared exactly, as the shell spells it: the listing and the switch
    // use this one test, so a state is written where it is read.
    return !Folder.empty() && Folder == GetSpecialFolder(CSIDL_COMMON_STARTUP) ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

TBytes MakeApprovedValueAt(bool Enable, FILETIME Stamp) {
    TBytes bytes(kApprovedValueSize, 0);
    bytes[0] = Enable ? kStateOn : kStateOff;
    PutLittleEndian(bytes, 4, Stamp.dwLowDateTime);
    PutLittleEndian(bytes, 8, Stamp.dwHighDateTime);
    return bytes;
}

TBytes MakeApprovedValue(bool Enable) {
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    FILETIME stamp{};
    ::SystemTimeToFileTime(&now, &stamp);
    return MakeApprovedValueAt(Enable, stamp);
}

bool IsApprovedStateOn(std::span<const std::uint8_t> Bytes) {
    return Bytes.size() != kApprovedValueSize || Bytes[0] == kStateOn;
}

TApprovedStates::TApprovedStates(HKEY RootKey, const std::wstring& Key) {
    for (const auto& [name, bytes] : TRegReader(RootKey, Key).BinaryValues()) {
        if (!IsApprovedStateOn(bytes)) FOff.insert(FoldRegistryName(name));
    }
}

bool TApprovedStates::IsOn(std::wstring_view Name) const { return !FOff.contains(FoldRegistryName(Name)); }

bool ReadApprovedState(HKEY RootKey, const std::wstring& Key, const std::wstring& Name) {
    return IsApprovedStateOn(TReg::ReadBinary(RootKey, Key, Name));
}

}  // namespace quillon
