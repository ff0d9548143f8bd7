#include "platform/command_line.h"

#include "platform/text.h"
#include "platform/web_addresses.h"

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
    const std::wstring Upper = AsciiUpper(Text);
    std::size_t Earliest = std::wstring::npos;
    for (std::wstring_view Extension : kExecutableExtensions) {
        Earliest = std::min(Earliest, Upper.find(Extension));
    }
    return Earliest;
}

void SplitAt(std::wstring_view Text, std::size_t End, std::size_t RestStart, std::wstring& ProgramPart,
             std::wstring& Arguments) {
    ProgramPart = Trim(Text.substr(0, End));
    Arguments = Trim(Text.substr(RestStart));
}

// The library in a rundll32 argument, written lib.dll,Entry args or
// "C:\Path With Spaces\lib.dll",Entry; an unclosed quote gives nothing.
std::wstring HostedLibrary(std::wstring_view Arguments) {
    std::wstring Library = Trim(Arguments);
    if (!Library.empty() && Library.front() == L'"') {
        const std::size_t Closing = Library.find(L'"', 1);
        Library = Closing == std::wstring::npos ? std::wstring() : Library.substr(1, Closing - 1);
    }
    const std::size_t Comma = Library.find(L',');
    if (Comma != std::wstring::npos) Library.erase(Comma);
    return Library;
}

// Left to right without overlap: "\\\" becomes "\\", "\\\\" becomes "\\".
std::wstring CollapseDoubledBackslashes(std::wstring_view Path) {
    std::wstring Result;
    Result.reserve(Path.size());
    for (std::size_t I = 0; I < Path.size(); ++I) {
        Result.push_back(Path[I]);
        if (Path[I] == L'\\' && I + 1 < Path.size() && Path[I + 1] == L'\\') ++I;
    }
    return Result;
}

// The program part, or the library a rundll32 host loads; still unexpanded.
std::wstring FileThatRuns(std::wstring_view CommandLine) {
    // An NT path prefix, as services and some installers write it.
    if (CommandLine.starts_with(kNtPathPrefix)) CommandLine.remove_prefix(kNtPathPrefix.size());
    std::wstring Program;
    std::wstring Arguments;
    SplitCommandLine(CommandLine, Program, Arguments);
    if (!Arguments.empty() && EqualsIgnoringAsciiCase(FileNamePart(Program), kLibraryHost)) {
        return HostedLibrary(Arguments);
    }
    return Program;
}

}  // namespace

void SplitCommandLine(std::wstring_view CommandLine, std::wstring& ProgramPart, std::wstring& Arguments) {
    ProgramPart.clear();
    Arguments.clear();
    const std::wstring Text = Trim(CommandLine);
    if (Text.empty()) return;

    if (Text.front() == L'"') {
        const std::size_t Closing = Text.find(L'"', 1);
        if (Closing == std::wstring::npos) {
            ProgramPart = Text.substr(1);  // kept as written, blanks and all
            return;
        }
        SplitAt(std::wstring_view(Text).substr(1), Closing - 1, Closing, ProgramPart, Arguments);
        return;
    }

    const std::size_t Extension = EarliestExtension(Text);
    if (Extension != std::wstring::npos) {
        SplitAt(Text, Extension + kExtensionLength, Extension + kExtensionLength, ProgramPart, Arguments);
        return;
    }
    const std::size_t Space = Text.find(L' ');
    if (Space != std::wstring::npos) {
        SplitAt(Text, Space, Space + 1, ProgramPart, Arguments);
        return;
    }
    ProgramPart = Text;
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

std::wstring EntryPageUrl(std::wstring_view From, std::wstring_view Target) {
    std::wstring Page(From);
    Page += L'/';
    Page += FileNamePart(Target);
    return kEntryPageBaseUrl + AsciiLower(Page);
}

}  // namespace quillon
