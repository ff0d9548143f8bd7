#pragma once
// The contents of bugreport.txt, with no system state involved, so every rule
// about the file can be checked directly: how one report reads, how a report
// already in the file is recognised, and how the file is kept under its size.
//
// A report is a run of UTF-8 lines ending in CRLF and closed by the separator
// line. The error text and the details (the state of the process) come last
// because they alone have no bound in length, so cutting an oversized report
// eats into them and keeps the time, version and signature. The error text's
// continuation lines and every line of the details are indented, so neither
// can forge a separator or a signature line.
//
// A report that reached the report address stays in the file as its head
// alone, marked sent: enough to know the error when it happens again.

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
    // The state of the process at the failure, lines separated by "\n".
    std::wstring_view Details{};
    // What makes two errors the same one; the text when empty.
    std::wstring_view SignatureKey{};
    // The head alone, marked sent.
    bool Sent = false;
};

// A short hash of the error text and the program version, as 16 hex digits:
// the same error in the same version gives the same signature.
std::string ErrorSignature(std::wstring_view Text, std::string_view Version);

// The signature of the error that Facts describe.
std::string ErrorSignature(const TErrorReportFacts& Facts);

// One whole report, closed by the separator line.
std::string FormatErrorReport(const TErrorReportFacts& Facts);

// Whether FileBytes holds a report with this signature.
bool ReportFileHasSignature(std::string_view FileBytes, std::string_view Signature);

// What the file should hold once Report is added: never more than MaxBytes,
// the oldest whole reports dropped first so the new one always fits, and a
// report larger than MaxBytes on its own cut to fit on a character boundary.
std::string AppendReportCapped(std::string_view FileBytes, std::string_view Report,
                               std::size_t MaxBytes = kBugReportMaxBytes);

// FileBytes with the report that carries Signature replaced by Report;
// unchanged when it holds no such report.
std::string ReplaceReport(std::string_view FileBytes, std::string_view Signature, std::string_view Report);

// bugreport.txt in the folder of ModulePath.
std::wstring ReportPathBeside(std::wstring_view ModulePath);

}  // namespace quillon
