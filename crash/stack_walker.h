#pragma once
// Walks a thread's stack from its registers with the system's dbghelp, and
// names the code addresses where symbols exist: the exports of system
// libraries, and our own functions when the build carries debug
// information that dbghelp reads.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "crash/process_state.h"

namespace quillon {

// Reads Size bytes of this process at Address into Buffer; false when they
// cannot be read.
using TMemoryReader = std::function<bool(std::uint64_t Address, void* Buffer, std::size_t Size)>;

// Loads dbghelp from the system folder while the program is sound, so that
// a failure later finds it loaded. Later calls do nothing.
void PrepareStackWalker() noexcept;

// Has the walker learn the modules loaded since it first walked a stack;
// once per report, before its walks.
void RefreshStackWalkerModules() noexcept;

// The frames of the thread whose registers are Context, innermost first, at
// most MaxFrames of them, without names; the stack is read through Read.
// Empty when dbghelp is missing. dbghelp serves one caller at a time: calls
// from several threads take turns.
std::vector<TStackFrame> WalkStack(HANDLE Thread, const CONTEXT& Context, const TMemoryReader& Read,
                                   std::size_t MaxFrames);

// Names the frames of one stack where symbols exist. Apart from the walk
// because reading debug information is what most often fails: Wine's
// reader faults on some of what GCC writes.
void NameFrames(std::vector<TStackFrame>& Frames);

}  // namespace quillon
