#include "platform/command_line.h"

#include "platform/text.h"

#include <windows.h>
#include <shellapi.h>

#include <algorithm>

namespace quillon {
namespace {

// Searched for anywhere in the upper-cased text, also inside a directory name
// or at the start of a longer extension: registry command lines are often
// unquoted paths with spaces, and the earliest of these ends the program.
constexpr std::wstring_view kExecutableExtensions[] = {L".EXE", L".BAT", L".COM", L".CMD", L".MSI"};
constexpr std::size_t kExtensionLength = 4;

constexpr std::wstring_view kNtPathPrefix = L"\\??\\";
constexpr std::wstring_view kLibraryHost = L"rundll32.exe";

std::size_t EarliestExtension(std::wstring_view Text) {
    const std::wstring upper = AsciiUpper(Text);
    std::size_t earliest = std::wstring::npos;
    for (std::wstring_view extension : kExecutableExtensions) {
        earliest = std::min(earliest, upper.find(extension));
    }
    return earliest;
}

void SplitAt(std::wstring_view Text, std::size_t End, std::size_t RestStart, std::wstring& ProgramPart,
             std::wstring& Arguments) {
    ProgramPart = Trim(Text.substr(0, End));
    Arguments = Trim(Text.substr(RestStart));
}

// The library in a rundll32 argument, written lib.dll,Entry args or
// "C:\Path With Spaces\lib.dll",Entry; an unclosed quote gives nothing.
std::wstring HostedLibrary(std::wstring_view Arguments) {
    std::wstring library = Trim(Arguments);
    if (!library.empty() && library.front() == L'"') {
        const std::size_t closing = library.find(L'"', 1);
        library = closing == std::wstring::npos ? std::wstring() : library.substr(1, closing - 1);
    }
    const std::size_t comma = library.find(L',');
    if (comma != std::wstring::npos) library.erase(comma);
    return library;
}

// Left to right without overlap: "\\\" becomes "\\", "\\\\" becomes "\\".
std::wstring CollapseDoubledBackslashes(std::wstring_view Path) {
    std::wstring result;
    result.reserve(Path.size());
    for (std::size_t i = 0; i < Path.size(); ++i) {
        result.push_back(Path[i]);
        if (Path[i] == L'\\' && i + 1 < Path.size() && Path[i + 1] == L'\\') ++i;
    }
    return result;
}

// The program part, or the library a rundll32 host loads; still unexpanded.
std::wstring FileThatRuns(std::wstring_view CommandLine) {
    // An NT path prefix, as services and some installers write it.
    if (CommandLine.starts_with(kNtPathPrefix)) CommandLine.remove_prefix(kNtPathPrefix.size());
    std::wstring program;
    std::wstring arguments;
    SplitCommandLine(CommandLine, program, arguments);
    if (!arguments.empty() && EqualsIgnoringAsciiCase(FileNamePart(program), kLibraryHost)) {
        return HostedLibrary(arguments);
    }
    return program;
}

}  // namespace

void SplitCommandLine(std::wstring_view CommandLine, std::wstring& ProgramPart, std::wstring& Arguments) {
    ProgramPart.clear();
    Arguments.clear();
    const std::wstring text = Trim(CommandLine);
    if (text.empty()) return;

    if (text.front() == L'"') {
        const std::size_t closing = text.find(L'"', 1);
        if (closing == std::wstring::npos) {
            ProgramPart = text.substr(1);  // kept as written, blanks and all
            return;
        }
        SplitAt(std::wstring_view(text).substr(1), closing - 1, closing, ProgramPart, Arguments);
        return;
    }

    const std::size_t extension = EarliestExtension(text);
    if (extension != std::wstring::npos) {
        SplitAt(text, extension + kExtensionLength, extension + kExtensionLength, ProgramPart, Arguments);
        return;
    }
    const std::size_t space = text.find(L' ');
    if (space != std::wstring::npos) {
        SplitAt(text, space, space + 1, ProgramPart, Arguments);
        return;
    }
    ProgramPart = text;
}

std::wstring ResolveCommandLine(std::wstring_view CommandLine) {
    return CollapseDoubledBackslashes(ExpandFolderVariable(FileThatRuns(CommandLine)));
}

std::wstring ResolveCommandLine(const TFolderVariables& Table, std::wstring_view CommandLine) {
    return CollapseDoubledBackslashes(ExpandFolderVariable(Table, FileThatRuns(CommandLine)));
}

void ShellOpen(const std::wstring& Target) {
    ::ShellExecuteW(nullptr, L"open", Target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace quillon
