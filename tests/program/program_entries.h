#pragma once
// Start-up entries of every kind, made for one test where the shipped
// program looks for them and removed again however the test ends: Run
// values in the machine's native and 32-bit keys and the user's, files in
// both start-up folders, services, and programs placed in the native system
// folder. Names carry the process id, so a crashed earlier run cannot get
// in the way.

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace quillon::test {

enum class TRunKey { Machine, Machine32, User };

class TProgramEntries {
public:
    TProgramEntries() = default;
    ~TProgramEntries();
    TProgramEntries(const TProgramEntries&) = delete;
    TProgramEntries& operator=(const TProgramEntries&) = delete;

    // Name with this process's id appended, for every entry of a test.
    [[nodiscard]] static std::wstring Tagged(const std::wstring& Name);

    // A Run value Name = Command in Key; returns Name.
    std::wstring RunValue(TRunKey Key, const std::wstring& Name, const std::wstring& Command);
    // A file FileName in the common or the user's start-up folder with
    // Bytes in it; returns its full path.
    std::wstring StartupFile(bool Common, const std::wstring& FileName, const std::string& Bytes);
    // A start-up shortcut to Target; returns its full path.
    std::wstring StartupShortcut(bool Common, const std::wstring& FileName, const std::wstring& Target);
    // A Win32 service of its own process; false when the manager refuses.
    bool Service(const std::wstring& Name, const std::wstring& DisplayName, DWORD StartType,
                 const std::wstring& Command);
    // A copy of Source in the native system folder (System32 as a 64-bit
    // process sees it), named FileName; returns the path a Run value names
    // it by ("C:\Windows\System32\FileName").
    std::wstring NativeSystemFile(const std::wstring& FileName, const std::wstring& Source);
    // A copy of Source as Folder\FileName in the native program files
    // folder (the one a 64-bit process calls %ProgramFiles%); returns the
    // path as an installer writes it, "%ProgramFiles%\Folder\FileName".
    std::wstring NativeProgramFile(const std::wstring& Folder, const std::wstring& FileName,
                                   const std::wstring& Source);

    // An approved-state value as the program reads it, empty when missing:
    // Key is kApprovedRunKey, kApprovedRun32Key or kApprovedStartupFolderKey.
    [[nodiscard]] static std::vector<unsigned char> Approved(HKEY Root, const wchar_t* Key, const std::wstring& Name);
    // The service's start type; 0 when it cannot be read.
    [[nodiscard]] static DWORD StartType(const std::wstring& Service);

private:
    std::vector<std::pair<TRunKey, std::wstring>> FRunValues;
    std::vector<std::pair<bool, std::wstring>> FStartupFiles;  // (common, file name)
    std::vector<std::wstring> FFiles;
    std::vector<std::wstring> FFolders;
    std::vector<std::wstring> FServices;
};

}  // namespace quillon::test
