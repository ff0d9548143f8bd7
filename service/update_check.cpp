#include "service/update_check.h"

#include "platform/fault_hook.h"
#include "platform/window.h"
#include "service/service_request.h"

#include <atomic>
#include <thread>
#include <utility>

namespace quillon {
namespace {

constexpr wchar_t kHandOverClass[] = L"QuillonServiceHandOver";
constexpr UINT kHandOverMessage = WM_APP + 1;

}  // namespace

// Shared by the worker and the user-interface thread until both are done
// with it. The worker writes Data before the hand-over and never after;
// Closing is the only thing both sides read while the other may write.
struct TUpdateCheck::TState {
    std::wstring Url;
    TUpdateDialogArgs Dialog;
    TRetryPolicy Retry;
    TReplyProc Proc;
    HWND HandOver = nullptr;
    std::wstring Data;
    std::atomic<bool> Closing{false};
};

// A message-only window on the user-interface thread: the worker sends it
// the hand-over message and waits until the reply step has run there.
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
        // The procedure may let the check go, and this window with it; the
        // state stays until the step is over.
        const std::shared_ptr<TState> state = FState;
        if (!state->Closing.load()) RunReplyStep(state->Data, state->Dialog, state->Proc, state->Closing);
        return 0;
    }

    std::shared_ptr<TState> FState;
};

namespace {

// False when the check was cancelled during the pause.
bool Pause(const std::atomic<bool>& Closing, const TRetryPolicy& Retry) {
    for (int step = 0; step < Retry.PauseSteps; ++step) {
        if (Closing.load()) return false;
        ::Sleep(Retry.StepMs);
    }
    return true;
}

}  // namespace

TUpdateCheck::TUpdateCheck() noexcept = default;
TUpdateCheck::TUpdateCheck(TUpdateCheck&& Other) noexcept = default;

TUpdateCheck& TUpdateCheck::operator=(TUpdateCheck&& Other) noexcept {
    if (this != &Other) {
        Cancel();
        FState = std::move(Other.FState);
        FHandOver = std::move(Other.FHandOver);
    }
    return *this;
}

TUpdateCheck::~TUpdateCheck() { Cancel(); }

void TUpdateCheck::Cancel() noexcept {
    if (FState) FState->Closing.store(true);
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
    std::thread([shared = check.FState] {
        RunGuarded([&shared] {
            // Built once: every attempt sends the same headers to the same
            // address, and makes nothing of its own but the reply. An
            // address that is no web address gets no answer, like a server
            // that is down.
            const std::optional<THttpTarget> target = MakeHttpTarget(shared->Url, StartupHeaders());
            for (int attempt = 0; attempt < shared->Retry.Attempts; ++attempt) {
                if (target && HTTPGet(*target, shared->Data)) break;
                if (!Pause(shared->Closing, shared->Retry)) return;
            }
            if (shared->Closing.load()) return;
            // Fails at once when the window is gone: nothing is told then.
            ::SendMessageW(shared->HandOver, kHandOverMessage, 0, reinterpret_cast<LPARAM>(shared.get()));
        });
    }).detach();
    return check;
}

}  // namespace quillon
