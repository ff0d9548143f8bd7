#include "autorun/startup_folders.h"

#include "autorun/approved_state.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/text.h"
#include "platform/unique_handle.h"

#include <shlobj.h>

#include <optional>

namespace quillon {
namespace {

constexpr std::wstring_view kStartupExtensions[] = {L".url", L".lnk", L".exe", L".bat", L".cmd", L".com"};

std::wstring_view Extension(std::wstring_view FileName) {
    const size_t dot = FileName.rfind(L'.');
    return dot == std::wstring_view::npos ? std::wstring_view{} : FileName.substr(dot);
}

// A folder that the shell named but that is gone by the time it is listed
// is an error the user must hear of. One that is there but cannot be
// listed (access refused, or a plain file where the folder should be)
// contributes nothing: raising for it would end every refresh the same way
// until the user repaired the folder by hand.
[[noreturn]] void FolderVanished() { throw TAppError(L"The specified path was not found"); }

TAutorunInfo MakeEntry(const std::wstring& Folder, std::wstring_view Name, const TApprovedStates& Approved) {
    TAutorunInfo entry;
    entry.FileName = Folder + L"\\" + std::wstring(Name);
    entry.Caption = Name.substr(0, Name.rfind(L'.'));
    entry.Target = entry.FileName;
    entry.From = kFromStartupFile;
    entry.Kind = TAutorunKind::StartupFile;
    entry.Enabled = Approved.IsOn(Name);
    return entry;
}

}  // namespace

bool IsStartupFileName(std::wstring_view FileName) {
    const std::wstring_view extension = Extension(FileName);
    for (std::wstring_view known : kStartupExtensions) {
        if (EqualsIgnoringAsciiCase(extension, known)) return true;
    }
    return false;
}

void CollectStartupFolder(const std::wstring& Folder, TAutorunList& List) {
    if (Folder.empty()) return;
    // The common folder's items keep their state under the machine's key.
    const HKEY approvedRoot = ApprovedRootForStartupFolder(Folder);

    WIN32_FIND_DATAW found{};
    UniqueFindHandle find(::FindFirstFileExW((Folder + L"\\*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                             nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        if (!PathExists(Folder)) FolderVanished();
        return;
    }
    const TApprovedStates approved(approvedRoot, kApprovedStartupFolderKey);  // read once for all files
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::wstring_view name = found.cFileName;
        if (!IsStartupFileName(name)) continue;
        List.push_back(MakeEntry(Folder, name, approved));
    } while (::FindNextFileW(find.get(), &found));
}

void CollectStartupFolders(TAutorunList& List) {
    // The user's folder is listed even when the common one has vanished.
    std::optional<TAppError> first;
    for (const int csidl : {CSIDL_COMMON_STARTUP, CSIDL_STARTUP}) {
        try {
            CollectStartupFolder(GetSpecialFolder(csidl), List);
        } catch (const TAppError& error) {
            if (!first) first = error;
        }
    }
    if (first) throw *first;
}

}  // namespace quillon
