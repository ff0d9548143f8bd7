#pragma once
// Reads the state of this process for the report of a failure.

#include <windows.h>

#include <optional>

#include "crash/process_state.h"

namespace quillon {

// The state at a failure of thread FailedThreadId, whose registers are
// Context, with frames not yet named. That thread must hold still while
// this runs (it waits for its report), so its stack is read where it is.
// Every other thread is stopped one at a time, only long enough to copy its
// registers and stack, and nothing is allocated while one is stopped: it
// may hold the heap's lock.
TProcessState CaptureProcessState(DWORD FailedThreadId, const CONTEXT& Context);

// Names the frames of every thread where symbols exist.
void NameStackFrames(TProcessState& State);

// Both, on a thread of its own, given TimeoutMs at most: a failure can leave
// a lock held that the reading needs (the loader's, when a library's
// start-up failed) or break what the reading walks through. When the naming
// fails or does not finish in time, the state comes without names; nothing
// when not even that could be read.
std::optional<TProcessState> CaptureProcessStateWithin(DWORD FailedThreadId, const CONTEXT& Context, DWORD TimeoutMs);

// Whether the calling thread is one that CaptureProcessStateWithin started:
// a failure there ends that thread alone, and the report goes on with what
// was read before.
bool IsCaptureThread() noexcept;

}  // namespace quillon
