#pragma once
// Start-up entries from the shell's start-up folders: the common one, whose
// items start for every user, then the user's own.

#include "autorun/autorun_info.h"

#include <string>
#include <string_view>

namespace quillon {

// Both folders, common first. A folder the shell does not give is skipped;
// one that has vanished raises TAppError once the other has been listed.
void CollectStartupFolders(TAutorunList& List);

// One entry per shortcut or program file directly in Folder. Raises
// TAppError "The specified path was not found" when Folder has vanished.
void CollectStartupFolder(const std::wstring& Folder, TAutorunList& List);

// The file types that start from a start-up folder: .url .lnk .exe .bat
// .cmd .com, ASCII case ignored.
bool IsStartupFileName(std::wstring_view FileName);

}  // namespace quillon
