// Reading the state of this very process, with a second thread that waits
// in a function of its own: every thread's stack, the registers, the
// modules and the processes, as the system's dbghelp gives them.

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <thread>

#include "platform/files.h"
#include "crash/process_capture.h"
#include "crash/process_state_text.h"
#include "platform/unique_handle.h"

namespace quillon {
namespace {

HANDLE gRelease = nullptr;
HANDLE gWaiting = nullptr;
DWORD gWaiterId = 0;

[[gnu::noinline]] void CaptureTestThreadWaits() {
    gWaiterId = ::GetCurrentThreadId();
    ::SetEvent(gWaiting);
    while (::WaitForSingleObject(gRelease, INFINITE) != WAIT_OBJECT_0) {
    }
}

// The frame whose function's name ends in Name; nullptr when there is none.
const TStackFrame* FrameNamed(const TThreadStack& Thread, const std::wstring& Name) {
    const auto found = std::find_if(Thread.Frames.begin(), Thread.Frames.end(),
                                    [&](const TStackFrame& Frame) { return Frame.Symbol.ends_with(Name); });
    return found == Thread.Frames.end() ? nullptr : &*found;
}

TEST(ProcessCapture, ReadsEveryThreadTheRegistersTheModulesAndTheProcesses) {
    const UniqueKernelHandle release(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    const UniqueKernelHandle waiting(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    gRelease = release.get();
    gWaiting = waiting.get();
    std::thread other(CaptureTestThreadWaits);
    ASSERT_EQ(::WaitForSingleObject(waiting.get(), 5000), WAIT_OBJECT_0);
    const DWORD otherId = gWaiterId;

    CONTEXT context{};
    ::RtlCaptureContext(&context);
    const std::optional<TProcessState> captured = CaptureProcessStateWithin(::GetCurrentThreadId(), context, 10000);
    ::SetEvent(release.get());
    other.join();
    ASSERT_TRUE(captured);
    const TProcessState& state = *captured;
    EXPECT_FALSE(IsCaptureThread());

    EXPECT_EQ(state.FailedThreadId, ::GetCurrentThreadId());
    const auto rip = std::find_if(state.Registers.begin(), state.Registers.end(),
                                  [](const TRegister& Register) { return std::string(Register.Name) == "rip"; });
    ASSERT_NE(rip, state.Registers.end());
    EXPECT_EQ(rip->Value, context.Rip);

    const std::wstring program = ModulePath();
    const std::wstring programName = program.substr(program.find_last_of(L'\\') + 1);
    ASSERT_FALSE(state.Threads.empty());
    EXPECT_TRUE(state.Threads[0].Failed);
    EXPECT_EQ(state.Threads[0].ThreadId, ::GetCurrentThreadId());
    EXPECT_TRUE(FrameNamed(state.Threads[0], L"TestBody")) << "the failing thread's stack from its registers";

    // The other thread's stack, read while it was stopped.
    const auto waiter = std::find_if(state.Threads.begin(), state.Threads.end(),
                                     [&](const TThreadStack& Thread) { return Thread.ThreadId == otherId; });
    ASSERT_NE(waiter, state.Threads.end());
    EXPECT_FALSE(waiter->Failed);
    const TStackFrame* waits = FrameNamed(*waiter, L"CaptureTestThreadWaits");
    ASSERT_TRUE(waits);
    EXPECT_TRUE(AddressInModule(state.Modules, waits->Address).starts_with(programName + L"+0x"));
    EXPECT_EQ(std::count_if(state.Threads.begin(), state.Threads.end(),
                            [](const TThreadStack& Thread) { return Thread.ThreadId == ::GetCurrentThreadId(); }),
              1);

    EXPECT_TRUE(
        std::is_sorted(state.Modules.begin(), state.Modules.end(),
                       [](const TModuleEntry& Left, const TModuleEntry& Right) { return Left.Base < Right.Base; }));
    const auto hasModule = [&](const std::wstring& Ending) {
        return std::any_of(state.Modules.begin(), state.Modules.end(),
                           [&](const TModuleEntry& Module) { return Module.Path.ends_with(Ending); });
    };
    EXPECT_TRUE(hasModule(L"\\" + programName));
    EXPECT_TRUE(hasModule(L"\\ntdll.dll"));
    EXPECT_TRUE(std::any_of(state.Processes.begin(), state.Processes.end(), [&](const TProcessEntry& Process) {
        return Process.ProcessId == ::GetCurrentProcessId() && Process.ExeName == programName;
    }));
}

}  // namespace
}  // namespace quillon
