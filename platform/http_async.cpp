#include "platform/http_async.h"

#include "platform/winhttp_library.h"

namespace quillon {

THttpDeadline::THttpDeadline(DWORD Ms) : FEnd(::GetTickCount64() + Ms), FInfinite(Ms == INFINITE) {}

DWORD THttpDeadline::Left() const {
    if (FInfinite) return INFINITE;
    const ULONGLONG now = ::GetTickCount64();
    // Never INFINITE by accident: what is left is below the DWORD it came from.
    return now >= FEnd ? 0 : static_cast<DWORD>(FEnd - now);
}

THttpExchange::TRef THttpExchange::Make(std::string_view RequestBody) {
    TRef exchange(new THttpExchange);
    exchange->FStepDone.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!exchange->FStepDone) return nullptr;
    exchange->FRequestBody.assign(RequestBody);
    exchange->FChunk = std::make_unique<char[]>(kChunkBytes);
    return exchange;
}

bool THttpExchange::Attach(HINTERNET Request) {
    auto context = reinterpret_cast<DWORD_PTR>(this);
    if (!WinHttp()->SetOption(Request, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context)) return false;
    // Taken before the callback is in place: the request's closing, which
    // drops it, can only be reported from then on.
    AddRef();
    const DWORD notify =
        WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES | WINHTTP_CALLBACK_FLAG_REDIRECT;
    if (WinHttp()->SetStatusCallback(Request, &OnStatus, notify, 0) == WINHTTP_INVALID_STATUS_CALLBACK) {
        Release();
        return false;
    }
    return true;
}

std::optional<THttpCompletion> THttpExchange::Await(DWORD Expected, const THttpDeadline& Deadline,
                                                    HANDLE Cancel) const {
    // Checked before waiting: a body that keeps coming fast would otherwise
    // find each read done at once and run past the deadline.
    const DWORD left = Deadline.Left();
    if (left == 0) return std::nullopt;
    // The cancel event first: when both are set, giving up wins.
    const HANDLE events[] = {Cancel, FStepDone.get()};
    const bool done = Cancel ? ::WaitForMultipleObjects(2, events, FALSE, left) == WAIT_OBJECT_0 + 1
                             : ::WaitForSingleObject(FStepDone.get(), left) == WAIT_OBJECT_0;
    if (!done) return std::nullopt;
    if (FLast.Status != Expected) return std::nullopt;
    return FLast;
}

void THttpExchange::Release() noexcept {
    if (FRefs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
}

void THttpExchange::Complete(const THttpCompletion& Completion) noexcept {
    FLast = Completion;
    ::SetEvent(FStepDone.get());
}

// Runs on WinHTTP's threads, or inside the call that started the operation
// when WinHTTP finishes it at once.
void CALLBACK THttpExchange::OnStatus(HINTERNET, DWORD_PTR Context, DWORD Status, void* Info, DWORD Length) {
    auto* exchange = reinterpret_cast<THttpExchange*>(Context);
    if (!exchange) return;
    switch (Status) {
    // An error is never the status a step awaits: the step fails.
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        exchange->Complete({Status, 0});
        return;
    case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
        exchange->Complete({Status, *static_cast<const DWORD*>(Info)});
        return;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        exchange->Complete({Status, Length});
        return;
    case WINHTTP_CALLBACK_STATUS_REDIRECT:
        // Comes while the answer is awaited, before its headers are reported.
        exchange->FRedirected.store(true, std::memory_order_release);
        return;
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
        // The last word about this request: nothing calls back after it.
        exchange->Release();
        return;
    default:
        return;
    }
}

}  // namespace quillon
