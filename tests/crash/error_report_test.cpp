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
#include "crash/error_report_format.h"
#include "platform/error_text.h"
#include "tests/crash/error_report_test_support.h"

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

const std::string kSeparator(kBugReportSeparator);

SYSTEMTIME At(WORD Year, WORD Month, WORD Day, WORD Hour, WORD Minute, WORD Second) {
    SYSTEMTIME time{};
    time.wYear = Year;
    time.wMonth = Month;
    time.wDay = Day;
    time.wHour = Hour;
    time.wMinute = Minute;
    time.wSecond = Second;
    return time;
}

std::string Report(std::wstring_view Text, std::string_view Version = "1.0.0.1") {
    return FormatErrorReport({Text, At(2024, 11, 30, 23, 59, 58), Version, 77});
}

std::vector<std::string> Lines(const std::string& Bytes) { return test::SplitLines<std::string>(Bytes, "\r\n"); }

TEST(ErrorReportFormat, ReportCarriesTextTimeVersionThreadAndSignature) {
    const std::wstring text = L"The specified path was not found";
    const std::string block = FormatErrorReport({text, At(2024, 3, 5, 7, 8, 9), "2.1.0.4", 4242});

    EXPECT_THAT(Lines(block), ElementsAre("Quillon error report", "Time: 2024-03-05T07:08:09Z", "Version: 2.1.0.4",
                                          "Thread: 4242", "Signature: " + ErrorSignature(text, "2.1.0.4"),
                                          "Error: The specified path was not found", kSeparator));
    EXPECT_TRUE(block.ends_with("\r\n"));
}

TEST(ErrorReportFormat, TextOutsideAsciiIsWrittenAsValidUtf8) {
    // Korean, a character outside the BMP, and a lone surrogate (which has
    // no UTF-8 form and must not break the file).
    const std::string block = Report(L"\uD55C\uAD6D \U0001F600 bad\xD800 end");

    EXPECT_TRUE(test::IsValidUtf8(block));
    EXPECT_THAT(block, HasSubstr("Error: \xED\x95\x9C\xEA\xB5\xAD \xF0\x9F\x98\x80 bad"));
}

TEST(ErrorReportFormat, ErrorTextCannotForgeASignatureOrASeparator) {
    const std::string forged = ErrorSignature(L"some other error", "1.0.0.1");
    const std::wstring text = L"first\r\n" + std::wstring(kSeparator.begin(), kSeparator.end()) + L"\nSignature: " +
                              std::wstring(forged.begin(), forged.end()) + L"\rlast\r\n";
    const std::string block = Report(text);

    EXPECT_THAT(block, HasSubstr("Error: first\r\n  " + kSeparator + "\r\n  Signature: " + forged + "\r\n  last\r\n" +
                                 kSeparator + "\r\n"));
    EXPECT_FALSE(ReportFileHasSignature(block, forged));
    EXPECT_TRUE(ReportFileHasSignature(block, ErrorSignature(text, "1.0.0.1")));

    // One byte short of keeping everything: the whole multi-line report has
    // to go, not just the part above a separator inside its text.
    const std::string other = Report(L"other");
    const std::string next = Report(L"next");
    const std::size_t cap = block.size() - 1 + other.size() + next.size();
    EXPECT_EQ(AppendReportCapped(block + other, next, cap), other + next);
}

TEST(ErrorReportFormat, SignatureTellsErrorsAndVersionsApart) {
    const std::string base = ErrorSignature(L"Access is denied", "1.0.0.1");

    EXPECT_EQ(base.size(), 16u);
    EXPECT_EQ(base.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(ErrorSignature(L"Access is denied", "1.0.0.1"), base);
    EXPECT_NE(ErrorSignature(L"Access is denied.", "1.0.0.1"), base);
    EXPECT_NE(ErrorSignature(L"Access is denied", "1.0.0.2"), base);
    // Text and version are kept apart, so moving a character across does
    // not give the same signature.
    EXPECT_NE(ErrorSignature(L"ab", "c"), ErrorSignature(L"a", "bc"));
}

TEST(ErrorReportFormat, FileHasSignatureOnlyForWholeSignatureLines) {
    const std::string block = Report(L"Access is denied");
    const std::string signature = ErrorSignature(L"Access is denied", "1.0.0.1");

    EXPECT_TRUE(ReportFileHasSignature("older text\r\n" + block, signature));
    EXPECT_FALSE(ReportFileHasSignature("", signature));
    EXPECT_FALSE(ReportFileHasSignature(block, signature.substr(0, 15)));
    EXPECT_FALSE(ReportFileHasSignature(block, ErrorSignature(L"Access is denied", "1.0.0.2")));
}

TEST(ErrorReportFormat, DetailsComeLastAndEveryLineOfThemIsIndented) {
    const std::string forged = ErrorSignature(L"some other error", "1.0.0.1");
    const std::wstring details = L"Thread 7 (failed):\n  Quillon.exe+0x1a2b Fail+0x3\r\n" +
                                 std::wstring(kSeparator.begin(), kSeparator.end()) + L"\rSignature: " +
                                 std::wstring(forged.begin(), forged.end()) + L"\n";
    const std::string block = FormatErrorReport({L"Access violation", At(2024, 3, 5, 7, 8, 9), "1.0.0.1", 7, details});

    const std::vector<std::string> lines = Lines(block);
    const std::vector<std::string> tail(lines.end() - 7, lines.end());
    EXPECT_THAT(tail, ElementsAre("Error: Access violation",
                                  "Details:", "  Thread 7 (failed):", "    Quillon.exe+0x1a2b Fail+0x3",
                                  "  " + kSeparator, "  Signature: " + forged, kSeparator));
    EXPECT_FALSE(ReportFileHasSignature(block, forged));
}

TEST(ErrorReportFormat, ASentReportIsItsHeadAndItsSignatureComesFromItsKey) {
    TErrorReportFacts facts{L"Access violation reading address 0x10 at Quillon.exe+0x1a2b",
                            At(2024, 3, 5, 7, 8, 9),
                            "1.0.0.1",
                            7,
                            L"Modules:\n  ...",
                            L"0xC0000005 at Quillon.exe+0x1a2b"};
    facts.Sent = true;
    const std::string signature = ErrorSignature(facts);

    EXPECT_EQ(signature, ErrorSignature(L"0xC0000005 at Quillon.exe+0x1a2b", "1.0.0.1"));
    EXPECT_THAT(Lines(FormatErrorReport(facts)),
                ElementsAre("Quillon error report", "Time: 2024-03-05T07:08:09Z", "Version: 1.0.0.1", "Thread: 7",
                            "Signature: " + signature, "Sent: yes",
                            "Error: Access violation reading address 0x10 at Quillon.exe+0x1a2b", kSeparator));
}

TEST(ErrorReportFormat, ReplaceReportSwapsTheOneReportWithThatSignature) {
    const std::string note = "a note typed by hand\r\n";
    const std::string first = Report(L"first");
    const std::string second = Report(L"second\nQuillon error report\nof two lines");
    const std::string third = Report(L"third");
    const std::string file = note + first + second + third;
    const std::string head = "Quillon error report\r\nSent: yes\r\n" + kSeparator + "\r\n";

    EXPECT_EQ(ReplaceReport(file, ErrorSignature(L"second\nQuillon error report\nof two lines", "1.0.0.1"), head),
              note + first + head + third);
    EXPECT_EQ(ReplaceReport(file, ErrorSignature(L"first", "1.0.0.1"), head), note + head + second + third);
    EXPECT_EQ(ReplaceReport(file, ErrorSignature(L"fourth", "1.0.0.1"), head), file);
}

// Existing reports of different lengths, so the arithmetic below is not
// fooled by equal sizes.
const std::vector<std::string>& OldReports() {
    static const std::vector<std::string> kReports = {
        Report(L"first, a fairly long error text about a start-up folder that vanished"),
        Report(L"second"),
        Report(L"third, of medium length"),
    };
    return kReports;
}

std::string Join(const std::vector<int>& Indexes) {
    std::string bytes;
    for (const int index : Indexes) bytes += OldReports()[static_cast<std::size_t>(index)];
    return bytes;
}

TEST(ErrorReportCap, KeepsTheNewestWholeReportsThatFit) {
    struct TCase {
        const char* Name;
        std::vector<int> Existing;
        std::vector<int> Kept;
    };
    const TCase cases[] = {
        {"empty file", {}, {}},
        {"room enough", {0, 1}, {0, 1}},
        {"drop the oldest", {0, 1, 2}, {1, 2}},
        {"drop the two oldest", {0, 1, 2}, {2}},
        {"room for the new one only", {0, 1, 2}, {}},
    };
    const std::string newest = Report(L"the newest error");
    for (const TCase& testCase : cases) {
        SCOPED_TRACE(testCase.Name);
        const std::string existing = Join(testCase.Existing);
        const std::string expected = Join(testCase.Kept) + newest;
        // Every cap from the smallest that keeps these reports up to the
        // largest that still cannot keep the next older one.
        const std::size_t dropped = testCase.Existing.size() - testCase.Kept.size();
        const std::size_t leastCap = expected.size();
        const std::size_t mostCap =
            dropped == 0
                ? existing.size() + newest.size() + 1000
                : Join({testCase.Existing.begin() + static_cast<long>(dropped) - 1, testCase.Existing.end()}).size() +
                      newest.size() - 1;
        EXPECT_EQ(AppendReportCapped(existing, newest, leastCap), expected);
        EXPECT_EQ(AppendReportCapped(existing, newest, mostCap), expected);
    }
}

TEST(ErrorReportCap, TextNotWrittenByUsIsKeptOnItsOwnLineOrDroppedWhole) {
    const std::string newest = Report(L"the newest error");
    const std::string note = "a note typed by hand, no line break";

    EXPECT_EQ(AppendReportCapped(note, newest), note + "\r\n" + newest);
    EXPECT_EQ(AppendReportCapped(note, newest, note.size() + 1 + newest.size()), newest);
}

TEST(ErrorReportCap, ReportLargerThanTheFileIsCutButStaysWhole) {
    const std::wstring text(150000, L'x');
    const std::string huge = Report(text);
    const std::string file = AppendReportCapped(Join({0, 1}), huge);

    EXPECT_LE(file.size(), kBugReportMaxBytes);
    EXPECT_GE(file.size(), kBugReportMaxBytes - 1);
    EXPECT_TRUE(file.starts_with("Quillon error report\r\n"));
    EXPECT_TRUE(file.ends_with("xxx\r\n" + kSeparator + "\r\n"));
    // Time, version and signature survive the cut, so the same huge error is
    // still recognised next time.
    EXPECT_TRUE(ReportFileHasSignature(file, ErrorSignature(text, "1.0.0.1")));
    EXPECT_THAT(file, Not(HasSubstr("second")));
}

TEST(ErrorReportCap, CutNeverSplitsACharacter) {
    // Two-, three- and four-byte characters; four caps in a row put the cut
    // on every byte of a sequence.
    for (const std::wstring character : {L"\u00E9", L"\u20AC", L"\U0001F600"}) {
        std::wstring text;
        for (int count = 0; count < 200; ++count) text += character;
        const std::string huge = Report(text);
        for (std::size_t cap = 400; cap < 404; ++cap) {
            SCOPED_TRACE(cap);
            const std::string file = AppendReportCapped("", huge, cap);
            EXPECT_LE(file.size(), cap);
            EXPECT_GE(file.size(), cap - 3);
            EXPECT_TRUE(test::IsValidUtf8(file));
            EXPECT_TRUE(file.ends_with("\r\n" + kSeparator + "\r\n"));
        }
    }
}

TEST(ErrorReportPath, BugReportSitsInTheProgramFolder) {
    EXPECT_EQ(ReportPathBeside(L"C:\\Program Files\\Quillon\\Quillon.exe"),
              L"C:\\Program Files\\Quillon\\bugreport.txt");
    EXPECT_EQ(ReportPathBeside(L"\\\\?\\D:\\Q.exe"), L"\\\\?\\D:\\bugreport.txt");
}

TEST(ErrorText, AppErrorKeepsItsMessageAndGivesUtf8ToWhat) {
    const TAppError error(L"Pfad nicht gefunden: C:\\\uD55C\uAD6D");

    EXPECT_EQ(error.Message(), L"Pfad nicht gefunden: C:\\\uD55C\uAD6D");
    EXPECT_STREQ(error.what(), "Pfad nicht gefunden: C:\\\xED\x95\x9C\xEA\xB5\xAD");
}

TEST(ErrorText, CurrentExceptionBecomesText) {
    struct TCase {
        const char* Name;
        std::function<void()> Raise;
        std::wstring Expected;
    };
    const TCase cases[] = {
        {"app error, caught before std::exception", [] { throw TAppError(L"Zugriff verweigert \uD55C"); },
         L"Zugriff verweigert \uD55C"},
        {"std::exception in UTF-8",
         [] {
             throw std::runtime_error(
                 "Gr\xC3\xB6\xC3\x9F"
                 "e");
         },
         L"Gr\u00F6\u00DFe"},
        // Not valid UTF-8, so read in the ANSI code page (1252 in Wine's
        // default English set-up).
        {"std::exception in the ANSI code page", [] { throw std::runtime_error("caf\xE9"); }, L"caf\u00E9"},
        {"std::exception with no message", [] { throw std::runtime_error(""); }, L"Unknown error"},
        {"not a std::exception", [] { throw 42; }, L"Unknown error"},
    };
    for (const TCase& testCase : cases) {
        SCOPED_TRACE(testCase.Name);
        try {
            testCase.Raise();
            ADD_FAILURE() << "did not throw";
        } catch (...) {
            EXPECT_EQ(CurrentExceptionText(), testCase.Expected);
        }
    }
    EXPECT_EQ(CurrentExceptionText(), L"Unknown error") << "with no exception in flight";
}

}  // namespace
}  // namespace quillon
