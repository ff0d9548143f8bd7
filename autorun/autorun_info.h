#pragma once
// One start-up entry from any of the four sources. The pair (From, Target)
// identifies it.

#include <string>
#include <string_view>
#include <vector>

namespace quillon {

// Which source an entry comes from, and so how it is switched, filtered and
// shown. From keeps the same fact as text, for display and export.
enum class TAutorunKind { RunValue, StartupFile, Task, Service };

inline constexpr wchar_t kFromStartupFile[] = L"FILE";
inline constexpr wchar_t kFromTask[] = L"SCHE";
inline constexpr wchar_t kFromService[] = L"SERV";

// The kind a From text names: "FILE", "SCHE" and "SERV" in any ASCII case;
// every other text is a registry root, so a Run value.
TAutorunKind KindFromText(std::wstring_view From);

struct TAutorunInfo {
    // The program that runs: the resolved path of a Run value's command, a
    // start-up file's full path, a service's command text as configured;
    // empty for a task.
    std::wstring FileName;
    // The entry's own name: the Run value's name, the file name without its
    // extension, the task's name, the service's display name.
    std::wstring Caption;
    // The command text exactly as stored: the Run value's text or the
    // service's command; empty for files and tasks.
    std::wstring RawData;
    // What the switches act on: the registry path text of a Run value
    // ("HKLM\Software\...\Run\Name"), the file's full path, "\" and the
    // task's name, the service's key name.
    std::wstring Target;
    // The source: "FILE", "SCHE", "SERV", or the Run value's root ("HKLM", "HKCU").
    std::wstring From;
    // Starts with the system: approved state for Run values and files, the
    // task's enabled flag, an automatic start type for a service.
    bool Enabled = false;
    // The source as a type, set with From by the source that found the entry.
    TAutorunKind Kind = TAutorunKind::RunValue;
};

// The inventory in the order the sources found the entries; owns them.
using TAutorunList = std::vector<TAutorunInfo>;

}  // namespace quillon
