#include "platform/folders.h"

#include "platform/text.h"

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <cwchar>
#include <iterator>
#include <mutex>
#include <utility>

namespace quillon {
namespace {

struct TVariableRow {
    const wchar_t* Variable;
    int CsidlOnX64;
    int CsidlElsewhere;
    bool DropX86OnX64;  // the query answers a 32-bit process with the "(x86)" folder
};

// Kept in this order, although a path can match at most one variable, so
// the order never changes what expands.
constexpr TVariableRow kVariableRows[] = {
    {L"%ProgramData%", CSIDL_COMMON_APPDATA, CSIDL_COMMON_APPDATA, false},
    {L"%SystemRoot%", CSIDL_WINDOWS, CSIDL_WINDOWS, false},
    // The common documents folder, not the public profile folder above it.
    {L"%Public%", CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_DOCUMENTS, false},
    {L"%AppData%", CSIDL_APPDATA, CSIDL_APPDATA, false},
    {L"%WinDir%", CSIDL_WINDOWS, CSIDL_WINDOWS, false},
    {L"%CommonProgramFiles(x86)%", CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_PROGRAM_FILES_COMMON, false},
    {L"%CommonProgramFiles%", CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILES_COMMON, true},
    {L"%ProgramFiles(x86)%", CSIDL_PROGRAM_FILESX86, CSIDL_PROGRAM_FILES, false},
    {L"%ProgramFiles%", CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILES, true},
};

constexpr std::wstring_view kX86Suffix = L" (x86)";

// Only the first occurrence: a later " (x86)" is part of a real folder name.
std::wstring WithoutFirstX86(std::wstring Folder) {
    const std::size_t Found = FindIgnoringAsciiCase(Folder, kX86Suffix);
    if (Found != std::wstring::npos) Folder.erase(Found, kX86Suffix.size());
    return Folder;
}

bool IsNativeSystemX64() {
    SYSTEM_INFO Info{};
    ::GetNativeSystemInfo(&Info);
    return Info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

// Null until the table is built; published with release order so a reader on
// any thread sees it complete.
constinit std::atomic<const TFolderVariables*> GProcessTable{nullptr};

}  // namespace

std::wstring GetSpecialFolder(int Csidl) {
    wchar_t Buffer[MAX_PATH + 1] = {};
    // S_FALSE (the folder does not exist) gives no path either.
    if (::SHGetFolderPathW(nullptr, Csidl, nullptr, 0, Buffer) != S_OK) return {};
    std::wstring Folder(Buffer, ::wcsnlen(Buffer, std::size(Buffer)));
    if (!Folder.empty() && Folder.back() == L'\\') Folder.pop_back();
    return Folder;
}

void TFolderVariables::Add(std::wstring Variable, std::wstring Folder) {
    FEntries.push_back({std::move(Variable), std::move(Folder)});
}

TFolderVariables BuildFolderVariables(const std::function<std::wstring(int)>& Query, bool IsX64) {
    TFolderVariables Table;
    for (const TVariableRow& Row : kVariableRows) {
        std::wstring Folder = Query(IsX64 ? Row.CsidlOnX64 : Row.CsidlElsewhere);
        if (IsX64 && Row.DropX86OnX64) Folder = WithoutFirstX86(std::move(Folder));
        Table.Add(Row.Variable, std::move(Folder));
    }
    return Table;
}

void InitFolderVariables() {
    static std::once_flag Once;
    std::call_once(Once, [] {
        static const TFolderVariables Table = BuildFolderVariables(GetSpecialFolder, IsNativeSystemX64());
        GProcessTable.store(&Table, std::memory_order_release);
    });
}

std::wstring ExpandFolderVariable(std::wstring_view Path) {
    const TFolderVariables* Table = GProcessTable.load(std::memory_order_acquire);
    return Table ? ExpandFolderVariable(*Table, Path) : std::wstring(Path);
}

std::wstring ExpandFolderVariable(const TFolderVariables& Table, std::wstring_view Path) {
    for (const TFolderVariable& Entry : Table.Entries()) {
        const std::size_t Length = Entry.Variable.size();
        // The backslash right after the closing '%' keeps "%ProgramFiles%"
        // from matching "%ProgramFiles(x86)%".
        if (Path.size() > Length && Path[Length] == L'\\' && StartsWithIgnoringAsciiCase(Path, Entry.Variable)) {
            return Entry.Folder + std::wstring(Path.substr(Length));
        }
    }
    return std::wstring(Path);
}

}  // namespace quillon
