#pragma once
// Turns a start-up command line into the file it runs, by text alone: no
// file-system look-up, no search path, no added extension. Also the one way
// the program hands a document or web address to the shell.

#include "platform/folders.h"

#include <string>
#include <string_view>

namespace quillon {

// Divides a trimmed command line into program and arguments: a quoted
// program, else up to the earliest ".EXE", ".BAT", ".COM", ".CMD" or ".MSI"
// anywhere in the text, else up to the first space. Both outputs are emptied
// first.
void SplitCommandLine(std::wstring_view CommandLine, std::wstring& ProgramPart, std::wstring& Arguments);

// The path of the file the command line runs: for a rundll32 host, the
// library it loads; a leading folder variable expanded; doubled backslashes
// collapsed. The first overload reads the process-wide folder table.
std::wstring ResolveCommandLine(std::wstring_view CommandLine);
std::wstring ResolveCommandLine(const TFolderVariables& Table, std::wstring_view CommandLine);

// Opens a document, program or web address with the shell's "open" verb.
// A failure is silent.
void ShellOpen(const std::wstring& Target);

}  // namespace quillon
