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
    const std::size_t found = FindIgnoringAsciiCase(Folder, kX86Suffix);
    if (found != std::wstring::npos) Folder.erase(found, kX86Suffix.size());
    return Folder;
}

bool IsNativeSystemX64() {
    SYSTEM_INFO info{};
    ::GetNativeSystemInfo(&info);
    return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64;
}

// Null until the table is built; published with release order so a reader on
// any thread sees it complete.
constinit std::atomic<const TFolderVariables*> GProcessTable{nullptr};

}  // namespace

std::wstring GetSpecialFolder(int Csidl) {
    wchar_t buffer[MAX_PATH + 1] = {};
    // S_FALSE (the folder does not exist) gives no path either.
    if (::SHGetFolderPathW(nullptr, Csidl, nullptr, 0, buffer) != S_OK) return {};
    std::wstring folder(buffer, ::wcsnlen(buffer, std::size(buffer)));
    if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

void TFolderVariables::Add(std::wstring Variable, std::wstring Folder) {
    FEntries.push_back({std::move(Variable), std::move(Folder)});
}

TFolderVariables BuildFolderVariables(const std::function<std::wstring(int)>& Query, bool IsX64) {
    TFolderVariables table;
    for (const TVariableRow& row : kVariableRows) {
        std::wstring folder = Query(IsX64 ? row.CsidlOnX64 : row.CsidlElsewhere);
        if (IsX64 && row.DropX86OnX64) folder = WithoutFirstX86(std::move(folder));
        table.Add(row.Variable, std::move(folder));
    }
    return table;
}

void InitFolderVariables() {
    static std::once_flag once;
    std::call_once(once, [] {
        static const TFolderVariables kTable = BuildFolderVariables(GetSpecialFolder, IsNativeSystemX64());
        GProcessTable.store(&kTable, std::memory_order_release);
    });
}

std::wstring ExpandFolderVariable(std::wstring_view Path) {
    const TFolderVariables* table = GProcessTable.load(std::memory_order_acquire);
    return table ? ExpandFolderVariable(*table, Path) : std::wstring(Path);
}

std::wstring ExpandFolderVariable(const TFolderVariables& Table, std::wstring_view Path) {
    for (const TFolderVariable& entry : Table.Entries()) {
        const std::size_t length = entry.Variable.size();
        // The backslash right after the closing '%' keeps "%ProgramFiles%"
        // from matching "%ProgramFiles(x86)%".
        if (Path.size() > length && Path[length] == L'\\' && StartsWithIgnoringAsciiCase(Path, entry.Variable)) {
            return entry.Folder + std::wstring(Path.substr(length));
        }
    }
    return std::wstring(Path);
}

}  // namespace quillon
