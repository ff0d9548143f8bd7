#pragma once
// The path every escaped error takes. The report goes into bugreport.txt
// first, then the first error of the process shows the box and ends the
// process; any later error only waits for that end, so the user sees one box
// however many threads fail.
//
// While the box is up the report is sent to the report address in the
// background. Once it is taken there, the file keeps only its head, marked
// sent; when it cannot be sent, the whole report stays in the file. Either
// way the file knows the error, and an error it knows is neither written nor
// sent again, in this run or a later one.
//
// What the path does to the world (where the file lives, the box, sending,
// ending the process, waiting for the end) comes in through
// TErrorReportSeam, so tests run the whole path in-process against a folder
// of their own.

#include <windows.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace quillon {

struct TErrorReportSeam {
    std::wstring ReportPath;
    // Returns once the user has closed the box.
    std::function<void(std::wstring_view Text)> ShowBox;
    // In the program neither returns: the first ends the process with exit
    // code 1, the second blocks until something else has ended it.
    std::function<void()> EndProcess;
    std::function<void()> WaitForEnd;
    // Sends one whole report; true once the report address has taken it.
    // Runs on a thread of its own. No function: nothing is sent.
    std::function<bool(std::string_view Report)> Send{};
    // How long the end waits, after the box, for a report still on its way.
    DWORD SendGraceMs = 5000;
};

struct TErrorReport {
    // What the box and the report say.
    std::wstring Text;
    // What makes two errors the same one; the text when empty.
    std::wstring SignatureKey;
    // The state of the process at the failure, lines separated by "\n".
    std::wstring Details;
    DWORD ThreadId = 0;
};

class TErrorReporter {
public:
    explicit TErrorReporter(TErrorReportSeam Seam);
    // Waits for the reports still being sent.
    ~TErrorReporter();

    TErrorReporter(const TErrorReporter&) = delete;
    TErrorReporter& operator=(const TErrorReporter&) = delete;

    // Files the report unless it is known already, sends it in the
    // background, then shows the box and ends the process (first error),
    // ends at once (an error on the thread of the box itself) or waits (any
    // other error).
    void Report(const TErrorReport& Error) noexcept;
    // An error of the calling thread with nothing more to tell.
    void Report(std::wstring_view Text) noexcept;

private:
    enum class TState { Idle, BoxShown, Ending };
    enum class TRole { ShowBoxAndEnd, EndNow, Wait };

    // A report filed and about to be sent: the whole of it, and its head
    // that replaces it in the file once it is sent.
    struct TFiled {
        std::string Signature;
        std::string Whole;
        std::string Head;
    };

    TRole TakeRole(DWORD ThreadId);
    bool FileReport(const TErrorReport& Error, TFiled& Filed) noexcept;
    void StartSending(TFiled Filed) noexcept;
    void Send(const TFiled& Filed) noexcept;
    void MarkSent(const TFiled& Filed) noexcept;
    void WaitForSending() noexcept;
    void ShowBoxOnOwnThread(std::wstring_view Text) noexcept;
    void RunBox(std::wstring_view Text) noexcept;

    const TErrorReportSeam FSeam;
    std::mutex FMutex;
    TState FState = TState::Idle;
    DWORD FBoxThreadId = 0;
    // Signatures of the errors this process has reported, for when the file
    // cannot be written.
    std::set<std::string> FReported;
    std::vector<std::thread> FSenders;
    int FSending = 0;
    std::condition_variable FSendingChanged;
};

}  // namespace quillon
