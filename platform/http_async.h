#pragma once
// What one asynchronous WinHTTP request shares with WinHTTP's own threads.
//
// A caller that gives up (cancelled, past its deadline) closes the request
// and leaves at once, but an operation still pending completes later on a
// WinHTTP thread, writing its result, its read buffer and the step event.
// So those live in a heap exchange held by two references, the caller's and
// WinHTTP's; WinHTTP's goes when the request handle reports that it closes.

#include "platform/unique_handle.h"

#include <windows.h>
#include <winhttp.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

// The moment by which a request must be over, counted from its start.
class THttpDeadline {
public:
    // INFINITE for none.
    explicit THttpDeadline(DWORD Ms);
    // Milliseconds left: INFINITE for none, 0 once it has passed.
    [[nodiscard]] DWORD Left() const;

private:
    ULONGLONG FEnd = 0;
    bool FInfinite = true;
};

// What WinHTTP reported for the operation that was pending.
struct THttpCompletion {
    // WINHTTP_CALLBACK_STATUS_...
    DWORD Status = 0;
    // For WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE and _READ_COMPLETE: 0 at
    // the body's end.
    DWORD Bytes = 0;
};

class THttpExchange {
    struct TRelease {
        void operator()(THttpExchange* Exchange) const noexcept { Exchange->Release(); }
    };

public:
    using TRef = std::unique_ptr<THttpExchange, TRelease>;
    static constexpr DWORD kChunkBytes = 64 * 1024;

    // The caller's reference to a new exchange that keeps its own copy of
    // RequestBody, which WinHTTP reads until the answer's headers are in.
    // Nothing when the event cannot be made.
    static TRef Make(std::string_view RequestBody);

    THttpExchange(const THttpExchange&) = delete;
    THttpExchange& operator=(const THttpExchange&) = delete;

    // Routes Request's completions here and hands WinHTTP its reference.
    bool Attach(HINTERNET Request);

    // Waits for the one pending operation. Its completion when it is
    // Expected; nothing when it failed, Cancel (may be null) was set, the
    // deadline passed or the wait failed.
    std::optional<THttpCompletion> Await(DWORD Expected, const THttpDeadline& Deadline, HANDLE Cancel) const;

    // WinHTTP followed a redirect. Final once the headers are in.
    [[nodiscard]] bool Redirected() const { return FRedirected.load(std::memory_order_acquire); }

    [[nodiscard]] std::string_view RequestBody() const { return FRequestBody; }
    // Where the next read goes, kChunkBytes long.
    [[nodiscard]] char* Chunk() { return FChunk.get(); }
    // Appends the first Bytes of the chunk to the body.
    void KeepChunk(DWORD Bytes) { FBody.append(FChunk.get(), Bytes); }
    [[nodiscard]] std::size_t BodySize() const { return FBody.size(); }
    std::string TakeBody() { return std::move(FBody); }

private:
    THttpExchange() = default;
    ~THttpExchange() = default;

    void AddRef() noexcept { FRefs.fetch_add(1, std::memory_order_relaxed); }
    void Release() noexcept;
    void Complete(const THttpCompletion& Completion) noexcept;
    static void CALLBACK OnStatus(HINTERNET Handle, DWORD_PTR Context, DWORD Status, void* Info, DWORD Length);

    std::atomic<long> FRefs{1};
    std::atomic<bool> FRedirected{false};
    // Auto-reset: one completion per operation, consumed by one wait.
    UniqueKernelHandle FStepDone;
    // Written by WinHTTP's thread before FStepDone is set, read by the
    // caller only after waiting for it.
    THttpCompletion FLast;
    std::string FRequestBody;
    std::unique_ptr<char[]> FChunk;
    std::string FBody;
};

}  // namespace quillon
