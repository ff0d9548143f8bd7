#pragma once
// The path every escaped error takes. The report goes into bugreport.txt
// first, then the first error of the process shows the box and ends the
// process; any later error only waits for that end, so the user sees one box
// however many threads fail.
//
// What the path does to the world (where the file lives, the box, ending the
// process, waiting for the end) comes in through TErrorReportSeam, so tests
// run the whole path in-process against a folder of their own.

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace quillon {

struct TErrorReportSeam {
    std::wstring ReportPath;
    // Returns once the user has closed the box.
    std::function<void(std::wstring_view Text)> ShowBox;
    // In the program neither returns: the first ends the process with exit
    // code 1, the second blocks until something else has ended it.
    std::function<void()> EndProcess;
    std::function<void()> WaitForEnd;
};

class TErrorReporter {
public:
    explicit TErrorReporter(TErrorReportSeam Seam);

    // Appends the report unless the file already holds it, then shows the box
    // and ends the process (first error), ends at once (an error on the
    // thread of the box itself) or waits (any other error).
    void Report(std::wstring_view Text) noexcept;

private:
    enum class TState { Idle, BoxShown, Ending };
    enum class TRole { ShowBoxAndEnd, EndNow, Wait };

    TRole TakeRole();
    void AppendToFile(std::wstring_view Text) noexcept;
    void ShowBoxOnOwnThread(std::wstring_view Text) noexcept;
    void RunBox(std::wstring_view Text) noexcept;

    const TErrorReportSeam FSeam;
    std::mutex FMutex;
    TState FState = TState::Idle;
    DWORD FBoxThreadId = 0;
};

}  // namespace quillon
