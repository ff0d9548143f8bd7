#include "platform/native_path.h"

#include "platform/files.h"
#include "platform/text.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <utility>

namespace quillon {
namespace {

bool IsSeparator(wchar_t C) { return C == L'\\' || C == L'/'; }

// The same character of a path: letters in either case, and either slash.
bool SameInPath(wchar_t Left, wchar_t Right) {
    if (IsSeparator(Left) && IsSeparator(Right)) return true;
    return AsciiUpperChar(Left) == AsciiUpperChar(Right);
}

std::wstring_view WithoutTrailingSeparators(std::wstring_view Folder) {
    while (!Folder.empty() && IsSeparator(Folder.back())) Folder.remove_suffix(1);
    return Folder;
}

struct TSystemFolders {
    std::wstring System;
    std::wstring Windows;
};

// Fixed for the life of the process, so read once. A WoW64 process is told
// "...\System32" here too: the name is the same for it, only what it opens
// there differs.
const TSystemFolders& SystemFolders() {
    static const TSystemFolders kFolders{
        ReadGrowingText([](wchar_t* Buffer, std::size_t Capacity) -> std::size_t {
            return ::GetSystemDirectoryW(Buffer, static_cast<UINT>(Capacity));
        }),
        // The system's own folder: the plain Windows folder can be one of the
        // user's own on a terminal server.
        ReadGrowingText([](wchar_t* Buffer, std::size_t Capacity) -> std::size_t {
            return ::GetSystemWindowsDirectoryW(Buffer, static_cast<UINT>(Capacity));
        }),
    };
    return kFolders;
}

}  // namespace

bool IsWow64() {
    static const bool kWow64 = [] {
        BOOL answer = FALSE;
        return ::IsWow64Process(::GetCurrentProcess(), &answer) && answer;
    }();
    return kWow64;
}

std::wstring NativeFilePath(const std::wstring& Path) {
    if (!IsWow64()) return Path;
    const TSystemFolders& folders = SystemFolders();
    return NativeFilePath(Path, folders.System, folders.Windows, true);
}

std::wstring NativeFilePath(std::wstring_view Path, std::wstring_view SystemFolder, std::wstring_view WindowsFolder,
                            bool IsWow64) {
    SystemFolder = WithoutTrailingSeparators(SystemFolder);
    WindowsFolder = WithoutTrailingSeparators(WindowsFolder);
    if (!IsWow64 || SystemFolder.empty() || WindowsFolder.empty()) return std::wstring(Path);

    // The long-path form is redirected like the plain one, and Sysnative
    // works in it alike.
    constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
    const std::wstring_view prefix = Path.starts_with(kLongPrefix) ? kLongPrefix : std::wstring_view();
    const std::wstring_view rest = Path.substr(prefix.size());
    if (rest.size() < SystemFolder.size() ||
        !std::ranges::equal(rest.substr(0, SystemFolder.size()), SystemFolder, SameInPath)) {
        return std::wstring(Path);
    }
    // "System32x" is another folder that merely starts with the same letters.
    const std::wstring_view below = rest.substr(SystemFolder.size());
    if (!below.empty() && !IsSeparator(below.front())) return std::wstring(Path);

    std::wstring native(prefix);
    native.append(WindowsFolder).append(L"\\Sysnative").append(below);
    return native;
}

std::wstring NativeVariableNames(std::wstring_view Text, bool IsWow64) {
    if (!IsWow64) return std::wstring(Text);
    // The variables Windows gives a WoW64 process for the native folders. The
    // "(x86)" variables already name the same folder in both kinds of
    // process, and differ in their name, so they are left alone.
    static constexpr std::pair<std::wstring_view, std::wstring_view> kRenames[] = {
        {L"%ProgramFiles%", L"%ProgramW6432%"},
        {L"%CommonProgramFiles%", L"%CommonProgramW6432%"},
    };
    std::wstring result;
    result.reserve(Text.size());
    while (!Text.empty()) {
        const auto rename = std::ranges::find_if(
            kRenames, [Text](const auto& Names) { return StartsWithIgnoringAsciiCase(Text, Names.first); });
        if (rename != std::end(kRenames)) {
            result.append(rename->second);
            Text.remove_prefix(rename->first.size());
            continue;
        }
        result.push_back(Text.front());
        Text.remove_prefix(1);
    }
    return result;
}

std::wstring ExpandNativeEnvironment(std::wstring_view Text) {
    const std::wstring named = NativeVariableNames(Text, IsWow64());
    if (named.empty()) return named;
    std::wstring expanded = ReadGrowingText([&named](wchar_t* Buffer, std::size_t Capacity) -> std::size_t {
        const DWORD needed = ::ExpandEnvironmentStringsW(named.c_str(), Buffer, static_cast<DWORD>(Capacity));
        // The count includes the terminating zero; a count over the room is
        // the room the text needs.
        if (needed == 0) return 0;
        return needed <= Capacity ? needed - 1 : needed;
    });
    return expanded.empty() ? named : expanded;
}

}  // namespace quillon
