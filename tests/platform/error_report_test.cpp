// The text side of the error report: the report's lines, its signature, how
// bugreport.txt is kept under its size, and how an exception becomes text.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <numeric>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/error_report_format.h"
#include "platform/error_text.h"
#include "tests/platform/error_report_test_support.h"

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string Separator(BugReportSeparator);

SYSTEMTIME At(WORD Year, WORD Month, WORD Day, WORD Hour, WORD Minute, WORD Second) {
    SYSTEMTIME Time{};
    Time.wYear = Year;
    Time.wMonth = Month;
    Time.wDay = Day;
    Time.wHour = Hour;
    Time.wMinute = Minute;
    Time.wSecond = Second;
    return Time;
}

std::string Report(std::wstring_view Text, std::string_view Version = "1.0.0.1") {
    return FormatErrorReport({Text, At(2024, 11, 30, 23, 59, 58), Version, 77});
}

std::vector<std::string> Lines(const std::string& Bytes) {
    std::vector<std::string> Result;
    for (std::size_t At = 0; At < Bytes.size();) {
        const std::size_t End = Bytes.find("\r\n", At);
        Result.push_back(Bytes.substr(At, End - At));
        At = End == std::string::npos ? Bytes.size() : End + 2;
    }
    return Result;
}

TEST(ErrorReportFormat, ReportCarriesTextTimeVersionThreadAndSignature) {
    const std::wstring Text = L"The specified path was not found";
    const std::string Block = FormatErrorReport({Text, At(2024, 3, 5, 7, 8, 9), "2.1.0.4", 4242});

    EXPECT_THAT(Lines(Block),
                ElementsAre("Quillon error report", "Time: 2024-03-05T07:08:09Z",
                            "Version: 2.1.0.4", "Thread: 4242",
                            "Signature: " + ErrorSignature(Text, "2.1.0.4"),
                            "Error: The specified path was not found", Separator));
    EXPECT_TRUE(Block.ends_with("\r\n"));
}

TEST(ErrorReportFormat, TextOutsideAsciiIsWrittenAsValidUtf8) {
    // Korean, a character outside the BMP, and a lone surrogate (which has
    // no UTF-8 form and must not break the file).
    const std::string Block = Report(L"\uD55C\uAD6D \U0001F600 bad\xD800 end");

    EXPECT_TRUE(test::IsValidUtf8(Block));
    EXPECT_THAT(Block, HasSubstr("Error: \xED\x95\x9C\xEA\xB5\xAD \xF0\x9F\x98\x80 bad"));
}

TEST(ErrorReportFormat, ErrorTextCannotForgeASignatureOrASeparator) {
    const std::string Forged = ErrorSignature(L"some other error", "1.0.0.1");
    const std::wstring Text = L"first\r\n" + std::wstring(Separator.begin(), Separator.end()) +
                              L"\nSignature: " + std::wstring(Forged.begin(), Forged.end()) +
                              L"\rlast\r\n";
    const std::string Block = Report(Text);

    EXPECT_THAT(Block, HasSubstr("Error: first\r\n  " + Separator + "\r\n  Signature: " + Forged +
                                 "\r\n  last\r\n" + Separator + "\r\n"));
    EXPECT_FALSE(ReportFileHasSignature(Block, Forged));
    EXPECT_TRUE(ReportFileHasSignature(Block, ErrorSignature(Text, "1.0.0.1")));

    // One byte short of keeping everything: the whole multi-line report has
    // to go, not just the part above a separator inside its text.
    const std::string Other = Report(L"other");
    const std::string Next = Report(L"next");
    const std::size_t Cap = Block.size() - 1 + Other.size() + Next.size();
    EXPECT_EQ(AppendReportCapped(Block + Other, Next, Cap), Other + Next);
}

TEST(ErrorReportFormat, SignatureTellsErrorsAndVersionsApart) {
    const std::string Base = ErrorSignature(L"Access is denied", "1.0.0.1");

    EXPECT_EQ(Base.size(), 16u);
    EXPECT_EQ(Base.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(ErrorSignature(L"Access is denied", "1.0.0.1"), Base);
    EXPECT_NE(ErrorSignature(L"Access is denied.", "1.0.0.1"), Base);
    EXPECT_NE(ErrorSignature(L"Access is denied", "1.0.0.2"), Base);
    // Text and version are kept apart, so moving a character across does
    // not give the same signature.
    EXPECT_NE(ErrorSignature(L"ab", "c"), ErrorSignature(L"a", "bc"));
}

TEST(ErrorReportFormat, FileHasSignatureOnlyForWholeSignatureLines) {
    const std::string Block = Report(L"Access is denied");
    const std::string Signature = ErrorSignature(L"Access is denied", "1.0.0.1");

    EXPECT_TRUE(ReportFileHasSignature("older text\r\n" + Block, Signature));
    EXPECT_FALSE(ReportFileHasSignature("", Signature));
    EXPECT_FALSE(ReportFileHasSignature(Block, Signature.substr(0, 15)));
    EXPECT_FALSE(ReportFileHasSignature(Block, ErrorSignature(L"Access is denied", "1.0.0.2")));
}

// Existing reports of different lengths, so the arithmetic below is not
// fooled by equal sizes.
const std::vector<std::string>& OldReports() {
    static const std::vector<std::string> Reports = {
        Report(L"first, a fairly long error text about a start-up folder that vanished"),
        Report(L"second"),
        Report(L"third, of medium length"),
    };
    return Reports;
}

std::string Join(const std::vector<int>& Indexes) {
    std::string Bytes;
    for (const int Index : Indexes) Bytes += OldReports()[static_cast<std::size_t>(Index)];
    return Bytes;
}

TEST(ErrorReportCap, KeepsTheNewestWholeReportsThatFit) {
    struct TCase {
        const char* Name;
        std::vector<int> Existing;
        std::vector<int> Kept;
    };
    const TCase Cases[] = {
        {"empty file", {}, {}},
        {"room enough", {0, 1}, {0, 1}},
        {"drop the oldest", {0, 1, 2}, {1, 2}},
        {"drop the two oldest", {0, 1, 2}, {2}},
        {"room for the new one only", {0, 1, 2}, {}},
    };
    const std::string New = Report(L"the newest error");
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        const std::string Existing = Join(Case.Existing);
        const std::string Expected = Join(Case.Kept) + New;
        // Every cap from the smallest that keeps these reports up to the
        // largest that still cannot keep the next older one.
        const std::size_t Dropped = Case.Existing.size() - Case.Kept.size();
        const std::size_t LeastCap = Expected.size();
        const std::size_t MostCap =
            Dropped == 0 ? Existing.size() + New.size() + 1000
                         : Join({Case.Existing.begin() + static_cast<long>(Dropped) - 1,
                                 Case.Existing.end()})
                                   .size() +
                               New.size() - 1;
        EXPECT_EQ(AppendReportCapped(Existing, New, LeastCap), Expected);
        EXPECT_EQ(AppendReportCapped(Existing, New, MostCap), Expected);
    }
}

TEST(ErrorReportCap, TextNotWrittenByUsIsKeptOnItsOwnLineOrDroppedWhole) {
    const std::string New = Report(L"the newest error");
    const std::string Note = "a note typed by hand, no line break";

    EXPECT_EQ(AppendReportCapped(Note, New), Note + "\r\n" + New);
    EXPECT_EQ(AppendReportCapped(Note, New, Note.size() + 1 + New.size()), New);
}

TEST(ErrorReportCap, ReportLargerThanTheFileIsCutButStaysWhole) {
    const std::wstring Text(150000, L'x');
    const std::string Huge = Report(Text);
    const std::string File = AppendReportCapped(Join({0, 1}), Huge);

    EXPECT_LE(File.size(), BugReportMaxBytes);
    EXPECT_GE(File.size(), BugReportMaxBytes - 1);
    EXPECT_TRUE(File.starts_with("Quillon error report\r\n"));
    EXPECT_TRUE(File.ends_with("xxx\r\n" + Separator + "\r\n"));
    // Time, version and signature survive the cut, so the same huge error is
    // still recognised next time.
    EXPECT_TRUE(ReportFileHasSignature(File, ErrorSignature(Text, "1.0.0.1")));
    EXPECT_THAT(File, Not(HasSubstr("second")));
}

TEST(ErrorReportCap, CutNeverSplitsACharacter) {
    // Two-, three- and four-byte characters; four caps in a row put the cut
    // on every byte of a sequence.
    for (const std::wstring Char : {L"\u00E9", L"\u20AC", L"\U0001F600"}) {
        std::wstring Text;
        for (int Count = 0; Count < 200; ++Count) Text += Char;
        const std::string Huge = Report(Text);
        for (std::size_t Cap = 400; Cap < 404; ++Cap) {
            SCOPED_TRACE(Cap);
            const std::string File = AppendReportCapped("", Huge, Cap);
            EXPECT_LE(File.size(), Cap);
            EXPECT_GE(File.size(), Cap - 3);
            EXPECT_TRUE(test::IsValidUtf8(File));
            EXPECT_TRUE(File.ends_with("\r\n" + Separator + "\r\n"));
        }
    }
}

TEST(ErrorReportPath, BugReportSitsInTheProgramFolder) {
    EXPECT_EQ(ReportPathBeside(L"C:\\Program Files\\Quillon\\Quillon.exe"),
              L"C:\\Program Files\\Quillon\\bugreport.txt");
    EXPECT_EQ(ReportPathBeside(L"\\\\?\\D:\\Q.exe"), L"\\\\?\\D:\\bugreport.txt");
}

TEST(ErrorText, AppErrorKeepsItsMessageAndGivesUtf8ToWhat) {
    const TAppError Error(L"Pfad nicht gefunden: C:\\\uD55C\uAD6D");

    EXPECT_EQ(Error.Message(), L"Pfad nicht gefunden: C:\\\uD55C\uAD6D");
    EXPECT_STREQ(Error.what(), "Pfad nicht gefunden: C:\\\xED\x95\x9C\xEA\xB5\xAD");
}

TEST(ErrorText, CurrentExceptionBecomesText) {
    struct TCase {
        const char* Name;
        std::function<void()> Raise;
        std::wstring Expected;
    };
    const TCase Cases[] = {
        {"app error, caught before std::exception",
         [] { throw TAppError(L"Zugriff verweigert \uD55C"); }, L"Zugriff verweigert \uD55C"},
        {"std::exception in UTF-8", [] { throw std::runtime_error("Gr\xC3\xB6\xC3\x9F" "e"); },
         L"Gr\u00F6\u00DFe"},
        // Not valid UTF-8, so read in the ANSI code page (1252 in Wine's
        // default English set-up).
        {"std::exception in the ANSI code page", [] { throw std::runtime_error("caf\xE9"); },
         L"caf\u00E9"},
        {"std::exception with no message", [] { throw std::runtime_error(""); }, L"Unknown error"},
        {"not a std::exception", [] { throw 42; }, L"Unknown error"},
    };
    for (const TCase& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        try {
            Case.Raise();
            ADD_FAILURE() << "did not throw";
        } catch (...) {
            EXPECT_EQ(CurrentExceptionText(), Case.Expected);
        }
    }
    EXPECT_EQ(CurrentExceptionText(), L"Unknown error") << "with no exception in flight";
}

}  // namespace
}  // namespace quillon
