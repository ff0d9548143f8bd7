#pragma once
// The contents of bugreport.txt, with no system state involved, so every rule
// about the file can be checked directly: how one report reads, how a report
// already in the file is recognised, and how the file is kept under its size.
//
// A report is a run of UTF-8 lines ending in CRLF and closed by the separator
// line. The error text comes last because it is the only part without a
// bound in length, so cutting an oversized report eats into it and keeps the
// time, version and signature. Its continuation lines are indented, so an
// error text can never forge a separator or a signature line.

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace quillon {

inline constexpr std::size_t kBugReportMaxBytes = 100000;
inline constexpr std::string_view kBugReportSeparator = "------------------------------------------------------------";

struct TErrorReportFacts {
    std::wstring_view Text;
    SYSTEMTIME TimeUtc{};
    std::string_view Version;
    DWORD ThreadId = 0;
};

// A short hash of the error text and the program version, as 16 hex digits:
// the same error in the same version gives the same signature.
std::string ErrorSignature(std::wstring_view Text, std::string_view Version);

// One whole report, closed by the separator line.
std::string FormatErrorReport(const TErrorReportFacts& Facts);

// Whether FileBytes holds a report with this signature.
bool ReportFileHasSignature(std::string_view FileBytes, std::string_view Signature);

// What the file should hold once Report is added: never more than MaxBytes,
// the oldest whole reports dropped first so the new one always fits, and a
// report larger than MaxBytes on its own cut to fit on a character boundary.
std::string AppendReportCapped(std::string_view FileBytes, std::string_view Report,
                               std::size_t MaxBytes = kBugReportMaxBytes);

// bugreport.txt in the folder of ModulePath.
std::wstring ReportPathBeside(std::wstring_view ModulePath);

}  // namespace quillon
