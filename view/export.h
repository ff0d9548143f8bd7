#pragma once
// Saving the whole inventory of the last refresh as a text file: every
// entry, hidden, switched off or without a caption, one line each.

#include "autorun/autorun_info.h"

#include <windows.h>

#include <optional>
#include <string>

namespace quillon {

// UTF-8 with a byte-order mark; "From|Caption|Target" per entry in
// inventory order, CR LF after every line. Fields are written as they are:
// a "|" or a line break inside one is not escaped.
std::string FormatAutorunList(const TAutorunList& List);

// Writes the list to Path, in place of the file there in one step. Raises
// TAppError with the file name and the system's message when it cannot.
void SaveAutorunList(const std::wstring& Path, const TAutorunList& List);

// Asks for the file to save to with the common save dialog: titled "Save",
// text files or all files, ".txt" added to a name without an extension,
// confirmation before a file is replaced. Nothing when the user cancels.
std::optional<std::wstring> AskExportFileName(HWND Owner);

}  // namespace quillon
