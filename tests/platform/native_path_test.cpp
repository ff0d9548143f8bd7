// Paths and environment references as a native process sees them: the
// WoW64 rules as plain text, with the folders a 32-bit process on 64-bit
// Windows is told, then the live functions in this (native) test program.

#include "platform/native_path.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace quillon {
namespace {

constexpr wchar_t kSystem[] = L"C:\\Windows\\system32";
constexpr wchar_t kWindows[] = L"C:\\Windows";

TEST(NativeFilePath, ReachesTheNativeSystemFolderThroughSysnativeInWow64) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\Windows\\System32\\app.exe", L"C:\\Windows\\Sysnative\\app.exe"},
        {L"c:\\WINDOWS\\SYSTEM32\\app.exe", L"C:\\Windows\\Sysnative\\app.exe"},
        {L"C:\\Windows\\System32\\drivers\\etc\\hosts", L"C:\\Windows\\Sysnative\\drivers\\etc\\hosts"},
        {L"C:/Windows/System32/app.exe", L"C:\\Windows\\Sysnative/app.exe"},
        {L"\\\\?\\C:\\Windows\\System32\\app.exe", L"\\\\?\\C:\\Windows\\Sysnative\\app.exe"},
        // The folder itself, with and without its closing backslash.
        {L"C:\\Windows\\System32", L"C:\\Windows\\Sysnative"},
        {L"C:\\Windows\\System32\\", L"C:\\Windows\\Sysnative\\"},
        // Not inside: other folders, look-alikes, relative and empty paths.
        {L"C:\\Windows\\System32x\\app.exe", L"C:\\Windows\\System32x\\app.exe"},
        {L"C:\\Windows\\System3", L"C:\\Windows\\System3"},
        {L"C:\\Windows\\SysWOW64\\app.exe", L"C:\\Windows\\SysWOW64\\app.exe"},
        {L"C:\\Windows\\Sysnative\\app.exe", L"C:\\Windows\\Sysnative\\app.exe"},
        {L"D:\\Windows\\System32\\app.exe", L"D:\\Windows\\System32\\app.exe"},
        {L"C:\\Program Files\\Windows\\System32\\app.exe", L"C:\\Program Files\\Windows\\System32\\app.exe"},
        {L"System32\\app.exe", L"System32\\app.exe"},
        {L"app.exe", L"app.exe"},
        {L"\\\\server\\C$\\Windows\\System32\\app.exe", L"\\\\server\\C$\\Windows\\System32\\app.exe"},
        {L"", L""},
    };
    for (const auto& [path, native] : cases) {
        EXPECT_EQ(NativeFilePath(path, kSystem, kWindows, true), native) << ::testing::PrintToString(path);
        EXPECT_EQ(NativeFilePath(path, kSystem, kWindows, false), path)
            << "native process: " << ::testing::PrintToString(path);
    }
}

TEST(NativeFilePath, TakesTheFoldersAsTheSystemWritesThem) {
    // Windows elsewhere, in other letters, or named with a closing backslash.
    EXPECT_EQ(NativeFilePath(L"E:\\WinNT\\System32\\a.exe", L"e:\\winnt\\system32\\", L"E:\\WinNT\\", true),
              L"E:\\WinNT\\Sysnative\\a.exe");
    // Without the folders nothing can be inside them.
    EXPECT_EQ(NativeFilePath(L"C:\\Windows\\System32\\a.exe", L"", kWindows, true), L"C:\\Windows\\System32\\a.exe");
    EXPECT_EQ(NativeFilePath(L"C:\\Windows\\System32\\a.exe", kSystem, L"", true), L"C:\\Windows\\System32\\a.exe");
}

TEST(NativeVariableNames, RenamesTheTwoProgramFolderVariablesInWow64) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"%ProgramFiles%\\App\\app.exe", L"%ProgramW6432%\\App\\app.exe"},
        {L"%PROGRAMFILES%\\App\\app.exe", L"%ProgramW6432%\\App\\app.exe"},
        {L"%CommonProgramFiles%\\App\\a.dll", L"%CommonProgramW6432%\\App\\a.dll"},
        {L"\"%programfiles%\\a.exe\" %CommonProgramFiles%", L"\"%ProgramW6432%\\a.exe\" %CommonProgramW6432%"},
        // Variables that already name one folder for every process.
        {L"%ProgramFiles(x86)%\\a.exe", L"%ProgramFiles(x86)%\\a.exe"},
        {L"%CommonProgramFiles(x86)%\\a.dll", L"%CommonProgramFiles(x86)%\\a.dll"},
        {L"%ProgramW6432%\\a.exe", L"%ProgramW6432%\\a.exe"},
        {L"%SystemRoot%\\System32\\a.exe", L"%SystemRoot%\\System32\\a.exe"},
        // Only the whole reference, percent signs included.
        {L"ProgramFiles\\a.exe", L"ProgramFiles\\a.exe"},
        {L"%ProgramFiles\\a.exe", L"%ProgramFiles\\a.exe"},
        {L"%ProgramFilesX%\\a.exe", L"%ProgramFilesX%\\a.exe"},
        {L"%%ProgramFiles%", L"%%ProgramW6432%"},
        {L"", L""},
    };
    for (const auto& [text, native] : cases) {
        EXPECT_EQ(NativeVariableNames(text, true), native) << ::testing::PrintToString(text);
        EXPECT_EQ(NativeVariableNames(text, false), text) << "native process: " << ::testing::PrintToString(text);
    }
}

std::wstring SystemExpansion(const std::wstring& Text) {
    wchar_t expanded[1024] = {};
    ::ExpandEnvironmentStringsW(Text.c_str(), expanded, 1024);
    return expanded;
}

// This test program is a native process: its paths are its own, and its
// expansion is the system's.
TEST(NativePaths, AreUnchangedInANativeProcess) {
    ASSERT_FALSE(IsWow64());
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring inSystem = std::wstring(system) + L"\\notepad.exe";
    EXPECT_EQ(NativeFilePath(inSystem), inSystem);

    const std::wstring texts[] = {L"%ProgramFiles%\\App\\app.exe", L"%CommonProgramFiles%\\a.dll",
                                  L"%SystemRoot%\\x.exe", L"%NoSuchQuillonVariable%\\x", L"plain"};
    for (const std::wstring& text : texts) {
        EXPECT_EQ(ExpandNativeEnvironment(text), SystemExpansion(text)) << ::testing::PrintToString(text);
    }
    EXPECT_NE(ExpandNativeEnvironment(L"%ProgramFiles%"), L"%ProgramFiles%");
    EXPECT_EQ(ExpandNativeEnvironment(L""), L"");
    // Longer than a first guess at the room it needs.
    const std::wstring longText = std::wstring(3000, L'a') + L"%SystemRoot%";
    EXPECT_EQ(ExpandNativeEnvironment(longText), std::wstring(3000, L'a') + SystemExpansion(L"%SystemRoot%"));
}

}  // namespace
}  // namespace quillon
