#include "crash/error_report_format.h"

#include <cstdint>
#include <cstdio>

#include "platform/hash.h"
#include "platform/utf8.h"

namespace quillon {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kHeadLine = "Quillon error report";
constexpr std::string_view kSignatureLabel = "Signature: ";
constexpr std::string_view kIndent = "  ";

// Offset of the first line of Bytes (from From on) that equals Line, or
// npos; *End gets the offset just past its line break.
std::size_t FindLine(std::string_view Bytes, std::string_view Line, std::size_t From = 0, std::size_t* End = nullptr) {
    for (std::size_t at = Bytes.find(Line, From); at != std::string_view::npos; at = Bytes.find(Line, at + 1)) {
        const bool startsLine = at == 0 || Bytes[at - 1] == '\n';
        const std::string_view rest = Bytes.substr(at + Line.size());
        std::size_t breakSize = 0;
        if (rest.starts_with(kLineEnd)) breakSize = kLineEnd.size();
        if (rest.starts_with('\n')) breakSize = 1;
        if (!startsLine || breakSize == 0) continue;
        if (End) *End = at + Line.size() + breakSize;
        return at;
    }
    return std::string_view::npos;
}

// Offset just past the first line of Bytes (from From on) that equals Line,
// or npos.
std::size_t FindLineEnd(std::string_view Bytes, std::string_view Line, std::size_t From = 0) {
    std::size_t end = std::string_view::npos;
    FindLine(Bytes, Line, From, &end);
    return end;
}

std::string FormatTime(const SYSTEMTIME& Time) {
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", Time.wYear, Time.wMonth, Time.wDay, Time.wHour,
                  Time.wMinute, Time.wSecond);
    return text;
}

// First and the text, every further line of it indented; any line break
// in the text counts.
std::string FormatLines(std::string_view First, std::wstring_view Text) {
    while (!Text.empty() && (Text.back() == L'\r' || Text.back() == L'\n')) Text.remove_suffix(1);
    std::string lines(First);
    const std::string bytes = Utf8FromWide(Text);
    for (std::size_t at = 0; at < bytes.size(); ++at) {
        const char c = bytes[at];
        if (c != '\r' && c != '\n') {
            lines += c;
            continue;
        }
        if (c == '\r' && at + 1 < bytes.size() && bytes[at + 1] == '\n') ++at;
        lines.append(kLineEnd).append(kIndent);
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

std::string ErrorSignature(const TErrorReportFacts& Facts) {
    return ErrorSignature(Facts.SignatureKey.empty() ? Facts.Text : Facts.SignatureKey, Facts.Version);
}

std::string FormatErrorReport(const TErrorReportFacts& Facts) {
    std::string report(kHeadLine);
    report.append(kLineEnd);
    report.append("Time: ").append(FormatTime(Facts.TimeUtc)).append(kLineEnd);
    report.append("Version: ").append(Facts.Version).append(kLineEnd);
    report.append("Thread: ").append(std::to_string(Facts.ThreadId)).append(kLineEnd);
    report.append(kSignatureLabel).append(ErrorSignature(Facts)).append(kLineEnd);
    if (Facts.Sent) report.append("Sent: yes").append(kLineEnd);
    report.append(FormatLines("Error: ", Facts.Text));
    if (!Facts.Sent && !Facts.Details.empty()) {
        report.append("Details:").append(kLineEnd);
        report.append(FormatLines(kIndent, Facts.Details));
    }
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

std::string ReplaceReport(std::string_view FileBytes, std::string_view Signature, std::string_view Report) {
    std::string signatureLine(kSignatureLabel);
    signatureLine += Signature;
    const std::size_t signature = FindLine(FileBytes, signatureLine);
    if (signature == std::string_view::npos) return std::string(FileBytes);
    std::size_t head = std::string_view::npos;
    for (std::size_t at = FindLine(FileBytes, kHeadLine); at < signature; at = FindLine(FileBytes, kHeadLine, at + 1))
        head = at;
    const std::size_t end = FindLineEnd(FileBytes, kBugReportSeparator, signature);
    if (head == std::string_view::npos || end == std::string_view::npos) return std::string(FileBytes);
    std::string result(FileBytes.substr(0, head));
    result.append(Report).append(FileBytes.substr(end));
    return result;
}

std::wstring ReportPathBeside(std::wstring_view ModulePath) {
    const std::size_t slash = ModulePath.find_last_of(L"\\/");
    std::wstring path(slash == std::wstring_view::npos ? std::wstring_view() : ModulePath.substr(0, slash + 1));
    return path + L"bugreport.txt";
}

}  // namespace quillon
