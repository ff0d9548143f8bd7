// The whole report path in-process: real files in a scratch folder, with the
// box, the end of the process and the wait for it recorded instead of done.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <future>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "crash/error_report_format.h"
#include "crash/error_reporter.h"
#include "platform/unique_handle.h"
#include "tests/crash/error_report_test_support.h"
#include "version.h"

namespace quillon {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

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
                std::unique_lock lock(FMutex);
                FChanged.wait(lock, [this] { return !FHoldBox; });
            },
            [this] { Record([&] { ++Ends; }); },
            [this] { Record([&] { ++Waits; }); },
        };
    }

    // The same, and reports are sent: each is recorded, waits while sending
    // is held, and counts as taken when Answer says so.
    TErrorReportSeam SendingSeam(bool Answer, std::function<void()> WhileBoxUp = {}) {
        TErrorReportSeam seam = Seam(std::move(WhileBoxUp));
        seam.Send = [this, Answer](std::string_view Report) {
            Record([&] { Sent.emplace_back(Report); });
            std::unique_lock lock(FMutex);
            FChanged.wait(lock, [this] { return !FHoldSend; });
            return Answer;
        };
        return seam;
    }

    void HoldSend() {
        Record([&] { FHoldSend = true; });
    }
    void ReleaseSend() {
        Record([&] { FHoldSend = false; });
    }

    void HoldBox() {
        Record([&] { FHoldBox = true; });
    }
    void CloseBox() {
        Record([&] { FHoldBox = false; });
    }

    // Waits up to two seconds for Condition (read under the lock).
    bool WaitFor(const std::function<bool()>& Condition) {
        std::unique_lock lock(FMutex);
        return FChanged.wait_for(lock, 2s, Condition);
    }

    // Read these under Locked() while other threads may still run.
    std::vector<std::wstring> Boxes;
    DWORD BoxThreadId = 0;
    int Ends = 0;
    int Waits = 0;
    std::vector<std::string> Sent;

    std::unique_lock<std::mutex> Locked() { return std::unique_lock(FMutex); }

private:
    void Record(const std::function<void()>& Change) {
        {
            std::lock_guard lock(FMutex);
            Change();
        }
        FChanged.notify_all();
    }

    std::wstring FPath;
    std::mutex FMutex;
    std::condition_variable FChanged;
    bool FHoldBox = false;
    bool FHoldSend = false;
};

class ErrorReporterTest : public ::testing::Test {
protected:
    test::TTempFolder Folder;
    const std::filesystem::path ReportFile = Folder.Path() / L"bugreport.txt";
    TRecordingSeam Recorder{ReportPathBeside((Folder.Path() / L"Quillon.exe").wstring())};

    std::string FileBytes() const { return test::ReadBytes(ReportFile); }
};

TEST_F(ErrorReporterTest, WritesTheReportBesideTheProgramAndClosesItBeforeTheBox) {
    bool fileClosedAtBox = false;
    TErrorReporter reporter(Recorder.Seam([&] {
        // Opening without sharing succeeds only if no handle is left open.
        UniqueFileHandle exclusive(::CreateFileW(ReportFile.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        fileClosedAtBox = static_cast<bool>(exclusive);
    }));

    reporter.Report(L"The specified path was not found");

    const std::string file = FileBytes();
    EXPECT_TRUE(fileClosedAtBox);
    EXPECT_THAT(file, HasSubstr("\r\nError: The specified path was not found\r\n"));
    EXPECT_THAT(file, HasSubstr("\r\nVersion: " QUILLON_VERSION_TEXT "\r\n"));
    EXPECT_THAT(file, HasSubstr("\r\nThread: " + std::to_string(::GetCurrentThreadId()) + "\r\n"));
    EXPECT_TRUE(std::regex_search(file, std::regex("\r\nTime: \\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ\r\n")));
    EXPECT_THAT(Recorder.Boxes, ElementsAre(L"The specified path was not found"));
    EXPECT_EQ(Recorder.Ends, 1);
    EXPECT_EQ(Recorder.Waits, 0);
}

TEST_F(ErrorReporterTest, AnErrorAlreadyInTheFileIsNotAppendedAgain) {
    // A reporter per run of the program.
    TErrorReporter(Recorder.Seam()).Report(L"Access is denied");
    const std::string first = FileBytes();

    TErrorReporter(Recorder.Seam()).Report(L"Access is denied");
    EXPECT_EQ(FileBytes(), first);

    TErrorReporter(Recorder.Seam()).Report(L"The disk is full");
    const std::string both = FileBytes();
    EXPECT_TRUE(both.starts_with(first));
    EXPECT_THAT(both.substr(first.size()), HasSubstr("\r\nError: The disk is full\r\n"));
    // Every run still tells the user.
    EXPECT_EQ(Recorder.Boxes.size(), 3u);
}

TEST_F(ErrorReporterTest, AFullFileDropsItsOldestReportsInPlace) {
    std::string old;
    for (int index = 0; old.size() < kBugReportMaxBytes - 50; ++index) {
        SYSTEMTIME time{};
        time.wYear = 2024;
        time.wMonth = time.wDay = 1;
        old += FormatErrorReport({L"old error " + std::to_wstring(index), time, "0.9", 1});
    }
    test::WriteBytes(ReportFile, old);

    TErrorReporter(Recorder.Seam()).Report(L"the newest error");

    const std::string file = FileBytes();
    const std::string kept = file.substr(0, file.rfind("Quillon error report\r\n"));
    EXPECT_LE(file.size(), kBugReportMaxBytes);
    EXPECT_TRUE(kept.starts_with("Quillon error report\r\n")) << "only whole reports dropped";
    EXPECT_LT(kept.size(), old.size());
    EXPECT_TRUE(old.ends_with(kept)) << "the newest old reports kept as they were";
    EXPECT_TRUE(file.ends_with("Error: the newest error\r\n" + std::string(kBugReportSeparator) + "\r\n"));
}

TEST_F(ErrorReporterTest, AFileThatCannotBeWrittenStillShowsTheBoxAndEnds) {
    TRecordingSeam unwritable((Folder.Path() / L"missing" / L"bugreport.txt").wstring());
    TErrorReporter reporter(unwritable.Seam());

    reporter.Report(L"Access is denied");

    EXPECT_THAT(unwritable.Boxes, ElementsAre(L"Access is denied"));
    EXPECT_EQ(unwritable.Ends, 1);
}

TEST_F(ErrorReporterTest, TwoThreadsFailingAtOnceShowOneBox) {
    TErrorReporter reporter(Recorder.Seam());
    Recorder.HoldBox();
    std::promise<void> go;
    std::shared_future<void> start = go.get_future().share();
    const auto fail = [&](const wchar_t* Text) {
        return std::thread([&reporter, start, Text] {
            start.wait();
            reporter.Report(Text);
        });
    };
    std::thread first = fail(L"error on one thread");
    std::thread second = fail(L"error on another thread");
    go.set_value();

    // While the box is up, the other thread has reported and is waiting.
    EXPECT_TRUE(Recorder.WaitFor([&] { return Recorder.Boxes.size() == 1 && Recorder.Waits == 1; }));
    {
        const auto lock = Recorder.Locked();
        EXPECT_EQ(Recorder.Ends, 0);
    }
    Recorder.CloseBox();
    first.join();
    second.join();
    // After the box, too, an error only waits.
    reporter.Report(L"error after the box");

    EXPECT_EQ(Recorder.Boxes.size(), 1u);
    EXPECT_EQ(Recorder.Ends, 1);
    EXPECT_EQ(Recorder.Waits, 2);
    const std::string file = FileBytes();
    EXPECT_THAT(file, HasSubstr("Error: error on one thread\r\n"));
    EXPECT_THAT(file, HasSubstr("Error: error on another thread\r\n"));
    EXPECT_THAT(file, HasSubstr("Error: error after the box\r\n"));
}

TEST_F(ErrorReporterTest, AnErrorFromInsideTheBoxEndsAtOnceInsteadOfWaiting) {
    // Stands in for a window procedure that the box's message loop re-enters
    // and that fails again: waiting there would freeze the box for good.
    TErrorReporter* self = nullptr;
    int endsSeenInsideBox = -1;
    int waitsSeenInsideBox = -1;
    TErrorReporter reporter(Recorder.Seam([&] {
        self->Report(L"error inside the box");
        const auto lock = Recorder.Locked();
        endsSeenInsideBox = Recorder.Ends;
        waitsSeenInsideBox = Recorder.Waits;
    }));
    self = &reporter;

    reporter.Report(L"first error");

    EXPECT_EQ(endsSeenInsideBox, 1);
    EXPECT_EQ(waitsSeenInsideBox, 0);
    EXPECT_THAT(Recorder.Boxes, ElementsAre(L"first error"));
    // The box ran away from the failing thread, whose own windows its message
    // loop therefore never re-enters.
    EXPECT_NE(Recorder.BoxThreadId, ::GetCurrentThreadId());
}

// An error with the state of the process, as the program reports it.
TErrorReport Failure(const wchar_t* Text) {
    return {Text, {}, L"Thread 7 (failed):\n  Quillon.exe+0x1a2b\nModules:\n  ...", ::GetCurrentThreadId()};
}

TEST_F(ErrorReporterTest, AReportTakenAtTheAddressLeavesOnlyItsHeadInTheFile) {
    TErrorReporter(Recorder.SendingSeam(true)).Report(Failure(L"Access violation"));

    ASSERT_EQ(Recorder.Sent.size(), 1u);
    EXPECT_THAT(Recorder.Sent[0], HasSubstr("\r\nError: Access violation\r\nDetails:\r\n  Thread 7 (failed):\r\n"));
    const std::string file = FileBytes();
    EXPECT_THAT(file, HasSubstr("\r\nSent: yes\r\nError: Access violation\r\n"));
    EXPECT_THAT(file, Not(HasSubstr("Details:")));
    EXPECT_EQ(Recorder.Boxes.size(), 1u);
    EXPECT_EQ(Recorder.Ends, 1);
}

TEST_F(ErrorReporterTest, AReportThatCannotBeSentStaysWholeInTheFile) {
    TErrorReporter(Recorder.SendingSeam(false)).Report(Failure(L"Access violation"));

    ASSERT_EQ(Recorder.Sent.size(), 1u);
    EXPECT_EQ(FileBytes(), Recorder.Sent[0]);
}

TEST_F(ErrorReporterTest, AnErrorReportedOnceIsNotSentAgain) {
    // Sent in one run, then the same error in the next.
    TErrorReporter(Recorder.SendingSeam(true)).Report(Failure(L"Access violation"));
    const std::string file = FileBytes();
    TErrorReporter(Recorder.SendingSeam(true)).Report(Failure(L"Access violation"));
    EXPECT_EQ(Recorder.Sent.size(), 1u);
    EXPECT_EQ(FileBytes(), file);
    EXPECT_EQ(Recorder.Boxes.size(), 2u) << "every run still tells the user";

    // Twice in one run whose file cannot be written: the run remembers.
    TRecordingSeam unwritable((Folder.Path() / L"missing" / L"bugreport.txt").wstring());
    TErrorReporter reporter(unwritable.SendingSeam(true));
    reporter.Report(Failure(L"The disk is full"));
    reporter.Report(Failure(L"The disk is full"));
    EXPECT_EQ(unwritable.Sent.size(), 1u);
}

TEST_F(ErrorReporterTest, TheReportIsOnDiskWhileItIsSentAndTheEndWaitsForItOnlySoLong) {
    struct TCase {
        const char* Name;
        // Whether the send finishes once the box is up, or hangs.
        bool SendFinishes;
        DWORD GraceMs;
    };
    for (const TCase& testCase : {TCase{"send finishes", true, 5000}, TCase{"send hangs", false, 300}}) {
        SCOPED_TRACE(testCase.Name);
        std::filesystem::remove(ReportFile);
        TRecordingSeam recorder(ReportFile.wstring());
        recorder.HoldSend();
        std::string fileAtBox;
        std::string fileAtEnd;
        TErrorReportSeam seam = recorder.SendingSeam(true, [&] {
            fileAtBox = FileBytes();
            if (testCase.SendFinishes) recorder.ReleaseSend();
        });
        seam.SendGraceMs = testCase.GraceMs;
        seam.EndProcess = [&] { fileAtEnd = FileBytes(); };
        TErrorReporter reporter(seam);

        const auto start = std::chrono::steady_clock::now();
        reporter.Report(Failure(L"Access violation"));
        const auto took = std::chrono::steady_clock::now() - start;

        EXPECT_THAT(fileAtBox, HasSubstr("Details:")) << "the whole report is on disk before the box";
        if (testCase.SendFinishes) {
            EXPECT_THAT(fileAtEnd, HasSubstr("Sent: yes")) << "the end waited for the send";
        } else {
            EXPECT_THAT(fileAtEnd, HasSubstr("Details:")) << "the report stays whole";
            EXPECT_GE(took, 300ms);
            EXPECT_LT(took, 3s) << "the end did not wait for ever";
        }
        recorder.ReleaseSend();  // the reporter waits for its senders when it goes
    }
}

}  // namespace
}  // namespace quillon
