#include "platform/error_report_format.h"

#include <cstdint>
#include <cstdio>

#include "platform/hash.h"
#include "platform/utf8.h"

namespace quillon {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kSignatureLabel = "Signature: ";

// Offset just past the first line of Bytes (from From on) that equals Line,
// or npos.
std::size_t FindLineEnd(std::string_view Bytes, std::string_view Line, std::size_t From = 0) {
    for (std::size_t at = Bytes.find(Line, From); at != std::string_view::npos; at = Bytes.find(Line, at + 1)) {
        const bool startsLine = at == 0 || Bytes[at - 1] == '\n';
        const std::string_view rest = Bytes.substr(at + Line.size());
        if (startsLine && rest.starts_with(kLineEnd)) return at + Line.size() + kLineEnd.size();
        if (startsLine && rest.starts_with('\n')) return at + Line.size() + 1;
    }
    return std::string_view::npos;
}

std::string FormatTime(const SYSTEMTIME& Time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", Time.wYear, Time.wMonth, Time.wDay, Time.wHour,
                  Time.wMinute, Time.wSecond);
    return text;
}

// "Error: " and the text, every further line of it indented.
std::string FormatErrorLines(std::wstring_view Text) {
    while (!Text.empty() && (Text.back() == L'\r' || Text.back() == L'\n')) Text.remove_suffix(1);
    std::string lines = "Error: ";
    const std::string bytes = Utf8FromWide(Text);
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        const char c = bytes[at];
        if (c != '\r' && c != '\n') {
            lines += c;
            continue;
        }
        if (c == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n') ++at;
        lines += "\r\n  ";
    }
    lines += kLineEnd;
    return lines;
}

// The longest prefix of Bytes no longer than MaxBytes that ends on a
// character boundary.
std::string_view Utf8Prefix(std::string_view Bytes, std::size_t MaxBytes) {
    if (Bytes.size() <= MaxBytes) return Bytes;
    std::size_t length = MaxBytes;
    while (length > 0 && (static_cast<unsigned char>(Bytes[length]) & 0xC0) == 0x80) --length;
    return Bytes.substr(0, length);
}

// A report larger than the file may be: its start, closed by a separator so
// the file still consists of whole reports.
std::string CutReport(std::string_view Report, std::size_t MaxBytes) {
    std::string tail;
    tail.append(kLineEnd).append(kBugReportSeparator).append(kLineEnd);
    if (MaxBytes <= tail.size()) return std::string(Utf8Prefix(Report, MaxBytes));
    std::string_view head = Utf8Prefix(Report, MaxBytes - tail.size());
    if (head.ends_with('\r')) head.remove_suffix(1);
    return std::string(head) + tail;
}

}  // namespace

std::string ErrorSignature(std::wstring_view Text, std::string_view Version) {
    // Stable across builds, and enough to tell errors apart.
    TFnv1a hash;
    hash.AddAll(Utf8FromWide(Text));
    hash.Add(0);
    hash.AddAll(Version);
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash.Value()));
    return hex;
}

std::string FormatErrorReport(const TErrorReportFacts& Facts) {
    std::string report = "Quillon error report\r\n";
    report.append("Time: ").append(FormatTime(Facts.TimeUtc)).append(kLineEnd);
    report.append("Version: ").append(Facts.Version).append(kLineEnd);
    report.append("Thread: ").append(std::to_string(Facts.ThreadId)).append(kLineEnd);
    report.append(kSignatureLabel).append(ErrorSignature(Facts.Text, Facts.Version)).append(kLineEnd);
    report.append(FormatErrorLines(Facts.Text));
    report.append(kBugReportSeparator).append(kLineEnd);
    return report;
}

bool ReportFileHasSignature(std::string_view FileBytes, std::string_view Signature) {
    std::string line(kSignatureLabel);
    line += Signature;
    return FindLineEnd(FileBytes, line) != std::string_view::npos;
}

std::string AppendReportCapped(std::string_view FileBytes, std::string_view Report, std::size_t MaxBytes) {
    if (Report.size() > MaxBytes) return CutReport(Report, MaxBytes);
    std::string_view kept = FileBytes;
    // A file that does not end in a line break (edited by hand, or cut short
    // by a crash) gets one, so the new report starts on a line of its own.
    const auto joint = [](std::string_view Old) {
        return Old.empty() || Old.ends_with('\n') ? std::string_view() : kLineEnd;
    };
    while (kept.size() + joint(kept).size() + Report.size() > MaxBytes) {
        const std::size_t next = FindLineEnd(kept, kBugReportSeparator);
        kept = next == std::string_view::npos ? std::string_view() : kept.substr(next);
    }
    std::string result(kept);
    result.append(joint(kept)).append(Report);
    return result;
}

std::wstring ReportPathBeside(std::wstring_view ModulePath) {
    const std::size_t slash = ModulePath.find_last_of(L"\\/");
    std::wstring path(slash == std::wstring_view::npos ? std::wstring_view() : ModulePath.substr(0, slash + 1));
    return path + L"bugreport.txt";
}

}  // namespace quillon
