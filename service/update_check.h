#pragma once
// The start-up request to the web service. The main window starts it while
// it is created; a worker thread asks the service, up to 60 times about a
// second apart, and hands the reply (or the give-up) to the user-interface
// thread, where the reply step runs and the caller's procedure is told. No
// network work runs on the user-interface thread.

#include "service/reply_step.h"

#include <windows.h>

#include <memory>
#include <string>

namespace quillon {

// How often and how patiently the worker asks. The defaults are the
// program's: 60 attempts; after each failed one a pause of 100 steps of
// 10 ms, at each of which the worker ends at once if the check has been
// cancelled.
struct TRetryPolicy {
    int Attempts = 60;
    int PauseSteps = 100;
    DWORD StepMs = 10;
};

// One running check, owned by whoever started it. Cancelling it, or letting
// it go, is how the worker learns that the application is ending: from
// then on the procedure is never called, however late a reply arrives.
class TUpdateCheck {
public:
    TUpdateCheck() noexcept;
    TUpdateCheck(TUpdateCheck&& Other) noexcept;
    TUpdateCheck& operator=(TUpdateCheck&& Other) noexcept;
    ~TUpdateCheck();

    // The application is ending: the worker stops at its next pause, a
    // reply not yet handed over is dropped, and a reply step under way (its
    // dialog up) ends without calling the procedure. An attempt under way is
    // not interrupted; its answer is dropped. Safe to call from the
    // procedure itself and more than once.
    void Cancel() noexcept;

private:
    friend TUpdateCheck CheckUpdate(std::wstring AURL, TReplyProc AProc, int ADialogOffset, const TRetryPolicy& Retry);
    struct TState;
    class THandOver;
    std::shared_ptr<TState> FState;
    std::unique_ptr<THandOver> FHandOver;
};

// Starts the check on the calling (user-interface) thread and returns at
// once. The worker sends GETs to AURL with the four start-up headers, built
// once, until one is answered or the attempts run out; then, on this
// thread, while the worker waits, the reply step runs and AProc is called
// once. ADialogOffset goes to the update dialog. This thread must run a
// message loop for the reply to arrive.
[[nodiscard]] TUpdateCheck CheckUpdate(std::wstring AURL, TReplyProc AProc, int ADialogOffset,
                                       const TRetryPolicy& Retry = {});

}  // namespace quillon
