// The whole report path in-process: real files in a scratch folder, with the
// box, the end of the process and the wait for it recorded instead of done.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "platform/error_report_format.h"
#include "platform/error_reporter.h"
#include "platform/unique_handle.h"
#include "tests/platform/error_report_test_support.h"
#include "version.h"

namespace quillon {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// Records what the report path does; a box can be held open until the test
// lets it close.
class TRecordingSeam {
public:
    explicit TRecordingSeam(std::wstring Path) : FPath(std::move(Path)) {}

    TErrorReportSeam Seam(std::function<void()> WhileBoxUp = {}) {
        return {
            FPath,
            [this, WhileBoxUp](std::wstring_view Text) {
                Record([&] {
                    Boxes.emplace_back(Text);
                    BoxThreadId = ::GetCurrentThreadId();
                });
                if (WhileBoxUp) WhileBoxUp();
                std::unique_lock Lock(FMutex);
                FChanged.wait(Lock, [this] { return !FHoldBox; });
            },
            [this] { Record([&] { ++Ends; }); },
            [this] { Record([&] { ++Waits; }); },
        };
    }

    void HoldBox() { Record([&] { FHoldBox = true; }); }
    void CloseBox() { Record([&] { FHoldBox = false; }); }

    // Waits up to two seconds for Condition (read under the lock).
    bool WaitFor(const std::function<bool()>& Condition) {
        std::unique_lock Lock(FMutex);
        return FChanged.wait_for(Lock, 2s, Condition);
    }

    // Read these under Locked() while other threads may still run.
    std::vector<std::wstring> Boxes;
    DWORD BoxThreadId = 0;
    int Ends = 0;
    int Waits = 0;

    std::unique_lock<std::mutex> Locked() { return std::unique_lock(FMutex); }

private:
    void Record(const std::function<void()>& Change) {
        {
            std::lock_guard Lock(FMutex);
            Change();
        }
        FChanged.notify_all();
    }

    std::wstring FPath;
    std::mutex FMutex;
    std::condition_variable FChanged;
    bool FHoldBox = false;
};

class ErrorReporterTest : public ::testing::Test {
protected:
    test::TTempFolder Folder;
    const std::filesystem::path ReportFile = Folder.Path() / L"bugreport.txt";
    TRecordingSeam Recorder{ReportPathBeside((Folder.Path() / L"Quillon.exe").wstring())};

    std::string FileBytes() const { return test::ReadBytes(ReportFile); }
};

TEST_F(ErrorReporterTest, WritesTheReportBesideTheProgramAndClosesItBeforeTheBox) {
    bool FileClosedAtBox = false;
    TErrorReporter Reporter(Recorder.Seam([&] {
        // Opening without sharing succeeds only if no handle is left open.
        UniqueFileHandle Exclusive(::CreateFileW(ReportFile.c_str(), GENERIC_WRITE, 0, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        FileClosedAtBox = static_cast<bool>(Exclusive);
    }));

    Reporter.Report(L"The specified path was not found");

    const std::string File = FileBytes();
    EXPECT_TRUE(FileClosedAtBox);
    EXPECT_THAT(File, HasSubstr("\r\nError: The specified path was not found\r\n"));
    EXPECT_THAT(File, HasSubstr("\r\nVersion: " QUILLON_VERSION_TEXT "\r\n"));
    EXPECT_THAT(File, HasSubstr("\r\nThread: " + std::to_string(::GetCurrentThreadId()) + "\r\n"));
    EXPECT_TRUE(std::regex_search(File, std::regex("\r\nTime: \\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ\r\n")));
    EXPECT_THAT(Recorder.Boxes, ElementsAre(L"The specified path was not found"));
    EXPECT_EQ(Recorder.Ends, 1);
    EXPECT_EQ(Recorder.Waits, 0);
}

TEST_F(ErrorReporterTest, AnErrorAlreadyInTheFileIsNotAppendedAgain) {
    // A reporter per run of the program.
    TErrorReporter(Recorder.Seam()).Report(L"Access is denied");
    const std::string First = FileBytes();

    TErrorReporter(Recorder.Seam()).Report(L"Access is denied");
    EXPECT_EQ(FileBytes(), First);

    TErrorReporter(Recorder.Seam()).Report(L"The disk is full");
    const std::string Both = FileBytes();
    EXPECT_TRUE(Both.starts_with(First));
    EXPECT_THAT(Both.substr(First.size()), HasSubstr("\r\nError: The disk is full\r\n"));
    // Every run still tells the user.
    EXPECT_EQ(Recorder.Boxes.size(), 3u);
}

TEST_F(ErrorReporterTest, AFullFileDropsItsOldestReportsInPlace) {
    std::string Old;
    for (int Index = 0; Old.size() < BugReportMaxBytes - 50; ++Index) {
        SYSTEMTIME Time{};
        Time.wYear = 2024;
        Time.wMonth = Time.wDay = 1;
        Old += FormatErrorReport({L"old error " + std::to_wstring(Index), Time, "0.9", 1});
    }
    test::WriteBytes(ReportFile, Old);

    TErrorReporter(Recorder.Seam()).Report(L"the newest error");

    const std::string File = FileBytes();
    const std::string Kept = File.substr(0, File.rfind("Quillon error report\r\n"));
    EXPECT_LE(File.size(), BugReportMaxBytes);
    EXPECT_TRUE(Kept.starts_with("Quillon error report\r\n")) << "only whole reports dropped";
    EXPECT_LT(Kept.size(), Old.size());
    EXPECT_TRUE(Old.ends_with(Kept)) << "the newest old reports kept as they were";
    EXPECT_TRUE(File.ends_with("Error: the newest error\r\n" + std::string(BugReportSeparator) + "\r\n"));
}

TEST_F(ErrorReporterTest, AFileThatCannotBeWrittenStillShowsTheBoxAndEnds) {
    TRecordingSeam Unwritable((Folder.Path() / L"missing" / L"bugreport.txt").wstring());
    TErrorReporter Reporter(Unwritable.Seam());

    Reporter.Report(L"Access is denied");

    EXPECT_THAT(Unwritable.Boxes, ElementsAre(L"Access is denied"));
    EXPECT_EQ(Unwritable.Ends, 1);
}

TEST_F(ErrorReporterTest, TwoThreadsFailingAtOnceShowOneBox) {
    TErrorReporter Reporter(Recorder.Seam());
    Recorder.HoldBox();
    std::promise<void> Go;
    std::shared_future<void> Start = Go.get_future().share();
    const auto Fail = [&](const wchar_t* Text) {
        return std::thread([&Reporter, Start, Text] {
            Start.wait();
            Reporter.Report(Text);
        });
    };
    std::thread First = Fail(L"error on one thread");
    std::thread Second = Fail(L"error on another thread");
    Go.set_value();

    // While the box is up, the other thread has reported and is waiting.
    EXPECT_TRUE(Recorder.WaitFor([&] { return Recorder.Boxes.size() == 1 && Recorder.Waits == 1; }));
    {
        const auto Lock = Recorder.Locked();
        EXPECT_EQ(Recorder.Ends, 0);
    }
    Recorder.CloseBox();
    First.join();
    Second.join();
    // After the box, too, an error only waits.
    Reporter.Report(L"error after the box");

    EXPECT_EQ(Recorder.Boxes.size(), 1u);
    EXPECT_EQ(Recorder.Ends, 1);
    EXPECT_EQ(Recorder.Waits, 2);
    const std::string File = FileBytes();
    EXPECT_THAT(File, HasSubstr("Error: error on one thread\r\n"));
    EXPECT_THAT(File, HasSubstr("Error: error on another thread\r\n"));
    EXPECT_THAT(File, HasSubstr("Error: error after the box\r\n"));
}

TEST_F(ErrorReporterTest, AnErrorFromInsideTheBoxEndsAtOnceInsteadOfWaiting) {
    // Stands in for a window procedure that the box's message loop re-enters
    // and that fails again: waiting there would freeze the box for good.
    TErrorReporter* Self = nullptr;
    int EndsSeenInsideBox = -1;
    int WaitsSeenInsideBox = -1;
    TErrorReporter Reporter(Recorder.Seam([&] {
        Self->Report(L"error inside the box");
        const auto Lock = Recorder.Locked();
        EndsSeenInsideBox = Recorder.Ends;
        WaitsSeenInsideBox = Recorder.Waits;
    }));
    Self = &Reporter;

    Reporter.Report(L"first error");

    EXPECT_EQ(EndsSeenInsideBox, 1);
    EXPECT_EQ(WaitsSeenInsideBox, 0);
    EXPECT_THAT(Recorder.Boxes, ElementsAre(L"first error"));
    // The box ran away from the failing thread, whose own windows its message
    // loop therefore never re-enters.
    EXPECT_NE(Recorder.BoxThreadId, ::GetCurrentThreadId());
}

}  // namespace
}  // namespace quillon
