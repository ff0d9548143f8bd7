#pragma once
// The start-up request to the web service. The main window starts it while
// it is created; a worker thread asks the service, up to 60 times about a
// second apart, and hands the reply (or the give-up) to the user-interface
// thread, where the reply step runs and the caller's procedure is told. No
// network work runs on the user-interface thread.

#include "platform/unique_handle.h"
#include "service/reply_step.h"

#include <windows.h>

#include <memory>
#include <string>
#include <thread>

namespace quillon {

// How often and how patiently the worker asks. The defaults are the
// program's.
struct TRetryPolicy {
    int Attempts = 60;
    // After each failed attempt, by the clock; a stop ends it at once.
    DWORD PauseMs = 1000;
    // One attempt as a whole: connecting, sending and the whole answer. A
    // server that drips its answer costs this long and no longer.
    DWORD AttemptDeadlineMs = 60000;
};

// One running check, owned by whoever started it (the main window), whose
// worker thread it waits for when it stops or goes.
class TUpdateCheck {
public:
    TUpdateCheck() noexcept;
    TUpdateCheck(TUpdateCheck&& Other) noexcept;
    TUpdateCheck& operator=(TUpdateCheck&& Other) noexcept;
    ~TUpdateCheck();

    // The application is ending: an attempt under way is abandoned, a pause
    // ends, a reply not yet handed over is dropped, and a reply step under
    // way (its dialog up) ends without calling the procedure. Returns once
    // the worker has ended. Safe to call from the procedure itself and more
    // than once; call it on the thread that started the check.
    void Stop() noexcept;

private:
    friend TUpdateCheck CheckUpdate(std::wstring AURL, TReplyProc AProc, int ADialogOffset, const TRetryPolicy& Retry);
    struct TState;
    class THandOver;
    std::shared_ptr<TState> FState;
    std::unique_ptr<THandOver> FHandOver;
    std::thread FWorker;
};

// Starts the check on the calling (user-interface) thread and returns at
// once. The worker sends GETs to AURL with the four start-up headers, built
// once, until one is answered or the attempts run out; then the reply step
// runs on this thread, from a posted message, while the worker waits, and
// AProc is called once. ADialogOffset goes to the update dialog. This
// thread must run a message loop for the reply to arrive.
[[nodiscard]] TUpdateCheck CheckUpdate(std::wstring AURL, TReplyProc AProc, int ADialogOffset,
                                       const TRetryPolicy& Retry = {});

}  // namespace quillon
