#include "platform/error_report_format.h"

#include <cstdint>
#include <cstdio>

#include "platform/hash.h"
#include "platform/utf8.h"

namespace quillon {

namespace {

constexpr std::string_view LineEnd = "\r\n";
constexpr std::string_view SignatureLabel = "Signature: ";

// Offset just past the first line of Bytes (from From on) that equals Line,
// or npos.
std::size_t FindLineEnd(std::string_view Bytes, std::string_view Line, std::size_t From = 0) {
    for (std::size_t At = Bytes.find(Line, From); At != std::string_view::npos;
         At = Bytes.find(Line, At + 1)) {
        const bool StartsLine = At == 0 || Bytes[At - 1] == '\n';
        const std::string_view Rest = Bytes.substr(At + Line.size());
        if (StartsLine && Rest.starts_with(LineEnd)) return At + Line.size() + LineEnd.size();
        if (StartsLine && Rest.starts_with('\n')) return At + Line.size() + 1;
    }
    return std::string_view::npos;
}

std::string FormatTime(const SYSTEMTIME& Time) {
    char Text[32];
    std::snprintf(Text, sizeof Text, "%04u-%02u-%02uT%02u:%02u:%02uZ", Time.wYear, Time.wMonth,
                  Time.wDay, Time.wHour, Time.wMinute, Time.wSecond);
    return Text;
}

// "Error: " and the text, every further line of it indented.
std::string FormatErrorLines(std::wstring_view Text) {
    while (!Text.empty() && (Text.back() == L'\r' || Text.back() == L'\n')) Text.remove_suffix(1);
    std::string Lines = "Error: ";
    const std::string Bytes = Utf8FromWide(Text);
    for (std::size_t At = 0; At < Bytes.size(); ++At) {
        const char Char = Bytes[At];
        if (Char != '\r' && Char != '\n') {
            Lines += Char;
            continue;
        }
        if (Char == '\r' && At + 1 < Bytes.size() && Bytes[At + 1] == '\n') ++At;
        Lines += "\r\n  ";
    }
    Lines += LineEnd;
    return Lines;
}

// The longest prefix of Bytes no longer than MaxBytes that ends on a
// character boundary.
std::string_view Utf8Prefix(std::string_view Bytes, std::size_t MaxBytes) {
    if (Bytes.size() <= MaxBytes) return Bytes;
    std::size_t Length = MaxBytes;
    while (Length > 0 && (static_cast<unsigned char>(Bytes[Length]) & 0xC0) == 0x80) --Length;
    return Bytes.substr(0, Length);
}

// A report larger than the file may be: its start, closed by a separator so
// the file still consists of whole reports.
std::string CutReport(std::string_view Report, std::size_t MaxBytes) {
    std::string Tail;
    Tail.append(LineEnd).append(BugReportSeparator).append(LineEnd);
    if (MaxBytes <= Tail.size()) return std::string(Utf8Prefix(Report, MaxBytes));
    std::string_view Head = Utf8Prefix(Report, MaxBytes - Tail.size());
    if (Head.ends_with('\r')) Head.remove_suffix(1);
    return std::string(Head) + Tail;
}

}  // namespace

std::string ErrorSignature(std::wstring_view Text, std::string_view Version) {
    // Stable across builds, and enough to tell errors apart.
    TFnv1a hash;
    hash.AddAll(Utf8FromWide(Text));
    hash.Add(0);
    hash.AddAll(Version);
    char Hex[17];
    std::snprintf(Hex, sizeof Hex, "%016llx", static_cast<unsigned long long>(hash.Value()));
    return Hex;
}

std::string FormatErrorReport(const TErrorReportFacts& Facts) {
    std::string Report = "Quillon error report\r\n";
    Report.append("Time: ").append(FormatTime(Facts.TimeUtc)).append(LineEnd);
    Report.append("Version: ").append(Facts.Version).append(LineEnd);
    Report.append("Thread: ").append(std::to_string(Facts.ThreadId)).append(LineEnd);
    Report.append(SignatureLabel).append(ErrorSignature(Facts.Text, Facts.Version)).append(LineEnd);
    Report.append(FormatErrorLines(Facts.Text));
    Report.append(BugReportSeparator).append(LineEnd);
    return Report;
}

bool ReportFileHasSignature(std::string_view FileBytes, std::string_view Signature) {
    std::string Line(SignatureLabel);
    Line += Signature;
    return FindLineEnd(FileBytes, Line) != std::string_view::npos;
}

std::string AppendReportCapped(std::string_view FileBytes, std::string_view Report,
                               std::size_t MaxBytes) {
    if (Report.size() > MaxBytes) return CutReport(Report, MaxBytes);
    std::string_view Kept = FileBytes;
    // A file that does not end in a line break (edited by hand, or cut short
    // by a crash) gets one, so the new report starts on a line of its own.
    const auto Joint = [](std::string_view Old) {
        return Old.empty() || Old.ends_with('\n') ? std::string_view() : LineEnd;
    };
    while (Kept.size() + Joint(Kept).size() + Report.size() > MaxBytes) {
        const std::size_t Next = FindLineEnd(Kept, BugReportSeparator);
        Kept = Next == std::string_view::npos ? std::string_view() : Kept.substr(Next);
    }
    std::string Result(Kept);
    Result.append(Joint(Kept)).append(Report);
    return Result;
}

std::wstring ReportPathBeside(std::wstring_view ModulePath) {
    const std::size_t Slash = ModulePath.find_last_of(L"\\/");
    std::wstring Path(Slash == std::wstring_view::npos ? std::wstring_view()
                                                        : ModulePath.substr(0, Slash + 1));
    return Path + L"bugreport.txt";
}

}  // namespace quillon
