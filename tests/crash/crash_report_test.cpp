// Each kind of failure in a child process that sets itself up as Quillon
// does (tests/crash/fixtures/crash_app.cpp): one box, titled "Quillon",
// whose button ends the program; the report at the endpoint stub when it
// answers, whole in bugreport.txt beside the program when it does not; and
// the same failure a second time reported nowhere again.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/utf8.h"
#include "crash/error_box.h"
#include "platform/unique_handle.h"
#include "tests/crash/error_report_test_support.h"
#include "tests/support/endpoint_stub.h"
#include "tests/support/test_files.h"

namespace quillon {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using ::testing::HasSubstr;
using ::testing::Not;

constexpr char kReportPath[] = "/api.report.php";

struct TCrashCase {
    const wchar_t* Kind;
    const wchar_t* Place;
    // The error's text, or its start when the place of the fault follows.
    const char* Error;
    bool PlaceFollows;
    // A function the failing thread's stack shows.
    const char* Function;
};

// What a run of the fixture did, judged from outside.
struct TRun {
    DWORD ProcessId = 0;
    int Boxes = 0;
    bool BoxShowsError = false;
    bool Ended = false;
    DWORD ExitCode = STILL_ACTIVE;
};

// Runs the fixture copied into Folder, so bugreport.txt lands there; closes
// its box with the box's one button and waits for the end.
TRun RunCrash(const std::filesystem::path& Folder, const TCrashCase& Case) {
    TRun run;
    const std::filesystem::path exe = Folder / L"crash_app.exe";
    if (!std::filesystem::exists(exe)) {
        const std::wstring fixture = test::WindowsPathFromEnvironment(L"QUILLON_CRASH_APP");
        EXPECT_FALSE(fixture.empty()) << "QUILLON_CRASH_APP is not set";
        if (!::CopyFileW(fixture.c_str(), exe.c_str(), TRUE)) return run;
    }
    std::wstring commandLine = L"\"" + exe.wstring() + L"\" " + Case.Kind + L" " + Case.Place;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, Folder.c_str(),
                          &startup, &child)) {
        ADD_FAILURE() << "the fixture did not start";
        return run;
    }
    const UniqueKernelHandle process(child.hProcess);
    const UniqueKernelHandle thread(child.hThread);
    run.ProcessId = child.dwProcessId;

    if (const HWND box = test::WaitForBox(run.ProcessId, 20s)) {
        // Any second box would be up by now: the report that shows the first
        // one is already made.
        ::Sleep(300);
        run.Boxes = static_cast<int>(test::Boxes(run.ProcessId).size());
        run.BoxShowsError = test::BoxShows(box, std::wstring(Case.Error, Case.Error + std::strlen(Case.Error)));
        const std::vector<HWND> buttons = test::ButtonsOf(box);
        EXPECT_EQ(buttons.size(), 1u);
        if (buttons.size() == 1) {
            EXPECT_EQ(test::TextOf(buttons.front()), L"Close");
            test::PressButton(box, buttons.front());
        }
    }
    run.Ended = ::WaitForSingleObject(process.get(), 20000) == WAIT_OBJECT_0;
    if (!run.Ended) ::TerminateProcess(process.get(), 0);
    ::GetExitCodeProcess(process.get(), &run.ExitCode);
    return run;
}

void ExpectOneBoxThatEndsTheProgram(const TRun& Run) {
    EXPECT_EQ(Run.Boxes, 1);
    EXPECT_TRUE(Run.BoxShowsError) << "the box does not show the error";
    EXPECT_TRUE(Run.Ended) << "the program did not end after the box";
    EXPECT_EQ(Run.ExitCode, 1u);
}

// The lines of a report, and the indented lines under one of its headings.
std::vector<std::string> Lines(const std::string& Text) { return test::SplitLines<std::string>(Text, "\r\n"); }

std::string Section(const std::string& Report, const std::string& Heading) {
    std::string section;
    bool inside = false;
    for (const std::string& line : Lines(Report)) {
        const bool heading = line.starts_with("  ") && line.size() > 2 && line[2] != ' ';
        if (heading) inside = line == "  " + Heading;
        if (inside && !heading) section += line + "\n";
    }
    return section;
}

std::string LineValue(const std::string& Report, const std::string& Label) {
    for (const std::string& line : Lines(Report))
        if (line.starts_with(Label)) return line.substr(Label.size());
    return {};
}

// Everything the report holds: the error, the failing thread's registers and
// stack, another thread's stack, the modules and the processes.
void ExpectWholeReport(const std::string& Report, const TCrashCase& Case, DWORD ProcessId) {
    EXPECT_TRUE(Report.starts_with("Quillon error report\r\n")) << Report;
    const std::string error = LineValue(Report, "Error: ");
    if (Case.PlaceFollows)
        EXPECT_TRUE(error.starts_with(Case.Error)) << error;
    else
        EXPECT_EQ(error, Case.Error);
    const std::string thread = LineValue(Report, "Thread: ");
    ASSERT_FALSE(thread.empty()) << Report;

    const std::string registers = Section(Report, "Registers of thread " + thread + ":");
    EXPECT_THAT(registers, HasSubstr(" rip="));
    EXPECT_THAT(registers, HasSubstr(" rsp="));
    const std::string failed = Section(Report, "Thread " + thread + " (failed):");
    EXPECT_THAT(failed, HasSubstr("    crash_app.exe+0x"));
    EXPECT_THAT(failed, HasSubstr(std::string(" ") + Case.Function + "+0x")) << failed;
    // The idle thread's stack, read while it was stopped.
    EXPECT_THAT(Report, HasSubstr(" IdleThreadWaits+0x"));

    const std::string modules = Section(Report, "Modules:");
    EXPECT_THAT(modules, HasSubstr("\\crash_app.exe\n"));
    EXPECT_THAT(modules, HasSubstr("\\ntdll.dll\n"));
    EXPECT_THAT(Section(Report, "Processes:"), HasSubstr("    " + std::to_string(ProcessId) + " crash_app.exe\n"));
}

class CrashRun : public ::testing::TestWithParam<TCrashCase> {
protected:
    test::TTempFolder Folder;
    const std::filesystem::path ReportFile = Folder.Path() / L"bugreport.txt";
    const test::TEndpointStub Stub;
};

TEST_P(CrashRun, ReachesTheEndpointOnceAndTheFileKeepsItsHead) {
    const TCrashCase& testCase = GetParam();
    const TRun first = RunCrash(Folder.Path(), testCase);
    ExpectOneBoxThatEndsTheProgram(first);

    const json requests = Stub.RequestsTo(kReportPath);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["method"], "POST");
    EXPECT_EQ(test::HeaderOf(requests[0], "Content-Type"), "text/plain; charset=utf-8");
    ExpectWholeReport(requests[0]["body"], testCase, first.ProcessId);

    const std::string file = test::ReadBytes(ReportFile);
    EXPECT_THAT(file, HasSubstr("\r\nSent: yes\r\nError: " + std::string(testCase.Error)));
    EXPECT_EQ(LineValue(file, "Error: "), LineValue(requests[0]["body"], "Error: "));
    EXPECT_THAT(file, Not(HasSubstr("Details:"))) << "only the head of a report that was sent";

    const TRun second = RunCrash(Folder.Path(), testCase);
    ExpectOneBoxThatEndsTheProgram(second);
    EXPECT_EQ(Stub.RequestsTo(kReportPath).size(), 1u) << "the same failure sent twice";
    EXPECT_EQ(test::ReadBytes(ReportFile), file);
}

TEST_P(CrashRun, StaysWholeInTheFileWhenTheEndpointIsDown) {
    const TCrashCase& testCase = GetParam();
    Stub.Script({{"paths", {{kReportPath, {{{"kind", "refuse"}}}}}}});
    const TRun run = RunCrash(Folder.Path(), testCase);
    ExpectOneBoxThatEndsTheProgram(run);

    EXPECT_EQ(Stub.RequestsTo(kReportPath).size(), 1u);
    const std::string file = test::ReadBytes(ReportFile);
    EXPECT_THAT(file, Not(HasSubstr("Sent: yes")));
    ExpectWholeReport(file, testCase, run.ProcessId);
}

const TCrashCase kCrashCases[] = {
    {L"access-violation", L"window", "Access violation writing address 0x0000000000000000 at crash_app.exe+0x", true,
     "FailWithAccessViolation"},
    {L"access-violation", L"worker", "Access violation writing address 0x0000000000000000 at crash_app.exe+0x", true,
     "FailWithAccessViolation"},
    {L"stack-overflow", L"window", "Stack overflow at crash_app.exe+0x", true, "FailWithStackOverflow"},
    {L"stack-overflow", L"worker", "Stack overflow at crash_app.exe+0x", true, "FailWithStackOverflow"},
    {L"divide-by-zero", L"worker", "Integer division by zero at crash_app.exe+0x", true, "FailWithDivisionByZero"},
    // Caught by the window procedure's guard: the stack is the guard's.
    {L"exception", L"window", "The crash fixture failed on purpose", false, "WindowProc"},
    // Left to std::terminate: the stack still holds the throw.
    {L"exception", L"worker", "The crash fixture failed on purpose", false, "FailWithException"},
    {L"terminate", L"worker", "Abnormal program termination", false, "Fail"},
    {L"invalid-parameter", L"window",
     "Invalid parameter passed to a C runtime function in wcscpy_s: destination too small (wcscpy_s.c line 42)", false,
     "FailWithInvalidParameter"},
    {L"pure-call", L"window", "Pure virtual function call", false, "FailWithPureCall"},
    {L"abort", L"worker", "Abnormal program termination (abort)", false, "Fail"},
};

INSTANTIATE_TEST_SUITE_P(EachKind, CrashRun, ::testing::ValuesIn(kCrashCases),
                         [](const ::testing::TestParamInfo<TCrashCase>& Info) {
                             std::string name = Utf8FromWide(Info.param.Kind) + "_" + Utf8FromWide(Info.param.Place);
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

TEST(CrashRunDown, AFailureAlreadyInTheFileIsNeitherSentNorWrittenAgain) {
    const test::TTempFolder folder;
    const test::TEndpointStub stub;
    stub.Script({{"paths", {{kReportPath, {{{"kind", "refuse"}}}}}}});
    const TCrashCase testCase = kCrashCases[0];
    ExpectOneBoxThatEndsTheProgram(RunCrash(folder.Path(), testCase));
    const std::string file = test::ReadBytes(folder.Path() / L"bugreport.txt");

    ExpectOneBoxThatEndsTheProgram(RunCrash(folder.Path(), testCase));
    EXPECT_EQ(stub.RequestsTo(kReportPath).size(), 1u);
    EXPECT_EQ(test::ReadBytes(folder.Path() / L"bugreport.txt"), file);
}

}  // namespace
}  // namespace quillon
