#pragma once
// Shortcut files for tests: made through the shell's link object, or
// written byte by byte for what that object cannot be asked to write (a
// target kept with its environment references, as installers write them).

#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>

namespace quillon::test {

namespace detail {

inline bool SaveShellLink(const std::wstring& Path, const std::wstring& Target, const std::wstring& IconPath,
                          int IconNumber) {
    Microsoft::WRL::ComPtr<IShellLinkW> link;
    Microsoft::WRL::ComPtr<IPersistFile> file;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) ||
        FAILED(link.As(&file))) {
        ADD_FAILURE() << "no shell link object";
        return false;
    }
    // A target that does not exist (yet) is kept all the same, with S_FALSE.
    if (FAILED(link->SetPath(Target.c_str()))) ADD_FAILURE() << "SetPath failed";
    if (!IconPath.empty() && FAILED(link->SetIconLocation(IconPath.c_str(), IconNumber))) {
        ADD_FAILURE() << "SetIconLocation failed";
    }
    const bool saved = SUCCEEDED(file->Save(Path.c_str(), TRUE));
    EXPECT_TRUE(saved) << "the shortcut could not be saved";
    return saved;
}

}  // namespace detail

// A shortcut at Path leading to Target, with an icon location when IconPath
// is not empty; false (and a test failure) when the shell cannot save it.
// COM is initialised for the call and left as it was.
inline bool MakeShellLink(const std::wstring& Path, const std::wstring& Target, const std::wstring& IconPath = {},
                          int IconNumber = 0) {
    const HRESULT initialised = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const bool saved = detail::SaveShellLink(Path, Target, IconPath, IconNumber);
    if (SUCCEEDED(initialised)) ::CoUninitialize();
    return saved;
}

namespace detail {

inline void AppendDword(std::string& Bytes, std::uint32_t Value) {
    for (int shift = 0; shift < 32; shift += 8) Bytes.push_back(static_cast<char>((Value >> shift) & 0xFF));
}

}  // namespace detail

// A shortcut whose target is written as Target, environment references and
// all, the way installers leave it: in the link's location block and in its
// environment block, which is where Windows reads the raw path from (Wine
// reads only the location block). ASCII targets only.
inline std::string ShellLinkBytesWithRawTarget(const std::string& Target) {
    using detail::AppendDword;
    std::string bytes;
    AppendDword(bytes, 0x4C);  // header size
    const GUID shellLink = CLSID_ShellLink;
    bytes.append(reinterpret_cast<const char*>(&shellLink), sizeof shellLink);
    AppendDword(bytes, SLDF_HAS_LINK_INFO | SLDF_UNICODE | SLDF_HAS_EXP_SZ);
    bytes.resize(0x3C, '\0');  // attributes, times, size, icon number
    AppendDword(bytes, SW_SHOWNORMAL);
    bytes.resize(0x4C, '\0');  // hot key and reserved words

    // Location block: header, a volume with an empty label, the local path,
    // an empty suffix.
    constexpr std::uint32_t kInfoHeader = 0x1C;
    constexpr std::uint32_t kVolumeSize = 0x11;
    const std::uint32_t pathAt = kInfoHeader + kVolumeSize;
    const std::uint32_t suffixAt = pathAt + static_cast<std::uint32_t>(Target.size()) + 1;
    AppendDword(bytes, suffixAt + 1);
    AppendDword(bytes, kInfoHeader);
    AppendDword(bytes, 1);  // a volume and a local path
    AppendDword(bytes, kInfoHeader);
    AppendDword(bytes, pathAt);
    AppendDword(bytes, 0);  // no network location
    AppendDword(bytes, suffixAt);
    AppendDword(bytes, kVolumeSize);
    AppendDword(bytes, DRIVE_FIXED);
    AppendDword(bytes, 0);     // serial number
    AppendDword(bytes, 0x10);  // label offset
    bytes.push_back('\0');
    bytes += Target;
    bytes.push_back('\0');
    bytes.push_back('\0');

    // Environment block: the target in ANSI and UTF-16, 260 characters each.
    AppendDword(bytes, sizeof(EXP_SZ_LINK));
    AppendDword(bytes, EXP_SZ_LINK_SIG);
    std::string ansi = Target;
    ansi.resize(MAX_PATH, '\0');
    bytes += ansi;
    for (std::size_t i = 0; i < MAX_PATH; ++i) {
        const char c = i < Target.size() ? Target[i] : '\0';
        bytes.push_back(c);
        bytes.push_back('\0');
    }
    AppendDword(bytes, 0);  // no more blocks
    return bytes;
}

}  // namespace quillon::test
