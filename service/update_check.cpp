#include "service/update_check.h"

#include "platform/fault_hook.h"
#include "platform/window.h"
#include "service/service_request.h"

#include <atomic>
#include <utility>

namespace quillon {
namespace {

constexpr wchar_t kHandOverClass[] = L"QuillonServiceHandOver";
constexpr UINT kHandOverMessage = WM_APP + 1;

UniqueKernelHandle NewManualResetEvent() { return UniqueKernelHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr)); }

}  // namespace

// Shared by the worker and the user-interface thread until both are done
// with it. The worker writes Data before the hand-over and never after; the
// user-interface thread releases it once the reply step has run.
struct TUpdateCheck::TState {
    std::wstring Url;
    TUpdateDialogArgs Dialog;
    TRetryPolicy Retry;
    TReplyProc Proc;
    HWND HandOver = nullptr;
    std::wstring Data;
    // Set by Stop; the reply step reads it after its dialog.
    std::atomic<bool> Closing{false};
    // Set by Stop: ends an attempt, a pause or the wait for the reply step.
    UniqueKernelHandle Stopped = NewManualResetEvent();
    // Set once the reply step has run on the user-interface thread.
    UniqueKernelHandle StepDone = NewManualResetEvent();
};

// A message-only window on the user-interface thread. The worker posts it
// the hand-over and waits: the reply step then runs from the thread's own
// message loop, not inside a message sent from another thread, where it
// could make no outgoing COM call (the list's refresh makes them).
class TUpdateCheck::THandOver final : public TWindow {
public:
    explicit THandOver(std::shared_ptr<TState> State) : FState(std::move(State)) {
        CreateFor(kHandOverClass, 0, 0, {0, 0, 0, 0}, HWND_MESSAGE);
    }

private:
    LRESULT OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) override {
        // A window handle can come round again: only this check's worker
        // is answered.
        if (Msg != kHandOverMessage || LParam != reinterpret_cast<LPARAM>(FState.get()))
            return TWindow::OnMessage(Msg, WParam, LParam);
        // The procedure may stop the check and let this window go; the
        // state stays until the step is over.
        const std::shared_ptr<TState> state = FState;
        if (!state->Closing.load()) RunReplyStep(state->Data, state->Dialog, state->Proc, state->Closing);
        // A reply can be large; nobody reads it again.
        std::wstring().swap(state->Data);
        ::SetEvent(state->StepDone.get());
        return 0;
    }

    std::shared_ptr<TState> FState;
};

TUpdateCheck::TUpdateCheck() noexcept = default;

TUpdateCheck::TUpdateCheck(TUpdateCheck&& Other) noexcept = default;

TUpdateCheck& TUpdateCheck::operator=(TUpdateCheck&& Other) noexcept {
    if (this != &Other) {
        Stop();
        FState = std::move(Other.FState);
        FHandOver = std::move(Other.FHandOver);
        FWorker = std::move(Other.FWorker);
    }
    return *this;
}

TUpdateCheck::~TUpdateCheck() { Stop(); }

void TUpdateCheck::Stop() noexcept {
    if (!FState) return;
    FState->Closing.store(true);
    ::SetEvent(FState->Stopped.get());
    if (FWorker.joinable() && FWorker.get_id() != std::this_thread::get_id()) FWorker.join();
}

TUpdateCheck CheckUpdate(std::wstring AURL, TReplyProc AProc, int ADialogOffset, const TRetryPolicy& Retry) {
    TUpdateCheck check;
    check.FState = std::make_shared<TUpdateCheck::TState>();
    TUpdateCheck::TState& state = *check.FState;
    state.Url = std::move(AURL);
    state.Dialog = {ADialogOffset, state.Url};
    state.Retry = Retry;
    state.Proc = std::move(AProc);
    check.FHandOver = std::make_unique<TUpdateCheck::THandOver>(check.FState);
    state.HandOver = check.FHandOver->Handle();
    check.FWorker = std::thread([shared = check.FState] {
        RunGuarded([&state = *shared] {
            const HANDLE stopped = state.Stopped.get();
            // Built once: every attempt sends the same headers to the same
            // address, and makes nothing of its own but the reply. An
            // address that is no web address gets no answer, like a server
            // that is down.
            const std::optional<THttpTarget> target = MakeHttpTarget(state.Url, StartupHeaders());
            THttpOptions attempt;
            attempt.DeadlineMs = state.Retry.AttemptDeadlineMs;
            attempt.Cancel = stopped;
            bool answered = false;
            for (int i = 0; i < state.Retry.Attempts && !answered; ++i) {
                answered = target && HTTPGet(*target, state.Data, attempt);
                // The pause follows the last failed attempt too.
                if (!answered && ::WaitForSingleObject(stopped, state.Retry.PauseMs) != WAIT_TIMEOUT) return;
            }
            if (::WaitForSingleObject(stopped, 0) == WAIT_OBJECT_0) return;
            // Fails when the window is gone: nothing is told then.
            if (!::PostMessageW(state.HandOver, kHandOverMessage, 0, reinterpret_cast<LPARAM>(&state))) return;
            const HANDLE ends[] = {state.StepDone.get(), stopped};
            ::WaitForMultipleObjects(2, ends, FALSE, INFINITE);
        });
    });
    return check;
}

}  // namespace quillon
