#include "crash/process_capture.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

#include "crash/process_state_text.h"
#include "crash/stack_walker.h"
#include "platform/unique_handle.h"

namespace quillon {

namespace {

constexpr std::size_t kMaxFrames = 64;
// Enough stack for kMaxFrames frames of any sane size.
constexpr std::size_t kStackCopyBytes = 256 * 1024;

// Marks the threads CaptureProcessStateWithin starts. Win32 TLS rather than
// thread_local, whose first use on a thread allocates: the failing thread
// asks, and its heap may be what failed.
const DWORD kCaptureThreadSlot = ::TlsAlloc();

UniqueSnapshot Snapshot(DWORD What) {
    // A module list can change while it is read, and the snapshot then
    // fails with ERROR_BAD_LENGTH; it settles after a try or two.
    for (int attempt = 0; attempt < 5; ++attempt) {
        UniqueSnapshot snapshot(
            ::CreateToolhelp32Snapshot(What, What == TH32CS_SNAPPROCESS ? 0 : ::GetCurrentProcessId()));
        if (snapshot || ::GetLastError() != ERROR_BAD_LENGTH) return snapshot;
    }
    return UniqueSnapshot();
}

// Calls Each for every entry of a Toolhelp snapshot of kind What, read with
// the snapshot's First and Next functions.
template <typename TEntry, typename TFirst, typename TNext, typename TEach>
void ForEachEntry(DWORD What, TFirst First, TNext Next, TEach Each) {
    const UniqueSnapshot snapshot = Snapshot(What);
    TEntry entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot && First(snapshot.get(), &entry); more; more = Next(snapshot.get(), &entry)) Each(entry);
}

std::vector<TModuleEntry> ListModules() {
    std::vector<TModuleEntry> modules;
    ForEachEntry<
        MODULEENTRY32W>(TH32CS_SNAPMODULE, ::Module32FirstW, ::Module32NextW, [&](const MODULEENTRY32W& Entry) {
        modules.push_back({reinterpret_cast<std::uintptr_t>(Entry.modBaseAddr), Entry.modBaseSize, Entry.szExePath});
    });
    std::sort(modules.begin(), modules.end(),
              [](const TModuleEntry& Left, const TModuleEntry& Right) { return Left.Base < Right.Base; });
    return modules;
}

std::vector<TProcessEntry> ListProcesses() {
    std::vector<TProcessEntry> processes;
    ForEachEntry<PROCESSENTRY32W>(TH32CS_SNAPPROCESS, ::Process32FirstW, ::Process32NextW,
                                  [&](const PROCESSENTRY32W& Entry) {
                                      processes.push_back({Entry.th32ProcessID, Entry.szExeFile});
                                  });
    return processes;
}

std::vector<DWORD> ListOwnThreads() {
    std::vector<DWORD> threads;
    ForEachEntry<THREADENTRY32>(TH32CS_SNAPTHREAD, ::Thread32First, ::Thread32Next, [&](const THREADENTRY32& Entry) {
        if (Entry.th32OwnerProcessID == ::GetCurrentProcessId()) threads.push_back(Entry.th32ThreadID);
    });
    return threads;
}

bool ReadLive(std::uint64_t Address, void* Buffer, std::size_t Size) {
    SIZE_T read = 0;
    return ::ReadProcessMemory(::GetCurrentProcess(),
                               reinterpret_cast<const void*>(static_cast<std::uintptr_t>(Address)), Buffer, Size,
                               &read) &&
           read == Size;
}

std::uint64_t StackPointer(const CONTEXT& Context) {
#if defined(__x86_64__)
    return Context.Rsp;
#else
    return Context.Esp;
#endif
}

// A thread's registers and the top of its stack, copied while it was
// stopped, so the walk afterwards sees the stack as it was.
struct TStoppedThread {
    CONTEXT Context{};
    std::uint64_t StackLow = 0;
    std::size_t StackBytes = 0;
};

// Only system calls between stopping and resuming, and the copy goes into
// memory allocated before: the stopped thread may hold the heap's lock, or
// any other.
bool CopyWhileStopped(HANDLE Thread, std::vector<char>& Stack, TStoppedThread& Stopped) {
    if (::SuspendThread(Thread) == static_cast<DWORD>(-1)) return false;
    Stopped.Context.ContextFlags = CONTEXT_CONTROL | CONTEXT_INTEGER;
    bool copied = ::GetThreadContext(Thread, &Stopped.Context);
    MEMORY_BASIC_INFORMATION region{};
    const std::uint64_t low = StackPointer(Stopped.Context);
    copied = copied && ::VirtualQuery(reinterpret_cast<const void*>(static_cast<std::uintptr_t>(low)), &region,
                                      sizeof region) != 0;
    if (copied) {
        // The stack's committed part runs from the stack pointer to the end
        // of its region.
        const std::uint64_t end = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(end - low, Stack.size()));
        SIZE_T read = 0;
        ::ReadProcessMemory(::GetCurrentProcess(), reinterpret_cast<const void*>(static_cast<std::uintptr_t>(low)),
                            Stack.data(), want, &read);
        Stopped.StackLow = low;
        Stopped.StackBytes = read;
    }
    ::ResumeThread(Thread);
    return copied;
}

TThreadStack CaptureOtherThread(DWORD ThreadId, std::vector<char>& Stack) {
    TThreadStack result;
    result.ThreadId = ThreadId;
    const UniqueKernelHandle thread(
        ::OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE, ThreadId));
    TStoppedThread stopped;
    if (!thread || !CopyWhileStopped(thread.get(), Stack, stopped)) {
        result.Problem = L"its registers could not be read";
        return result;
    }
    const TMemoryReader fromCopy = [&](std::uint64_t Address, void* Buffer, std::size_t Size) {
        if (Address >= stopped.StackLow && Address - stopped.StackLow + Size <= stopped.StackBytes) {
            std::memcpy(Buffer, Stack.data() + (Address - stopped.StackLow), Size);
            return true;
        }
        return ReadLive(Address, Buffer, Size);
    };
    result.Frames = WalkStack(thread.get(), stopped.Context, fromCopy, kMaxFrames);
    return result;
}

struct TCaptureJob {
    DWORD FailedThreadId = 0;
    CONTEXT Context{};
    // The best state read so far; the thread may end or hang at any point.
    std::mutex Lock;
    std::optional<TProcessState> State;

    void Publish(const TProcessState& Read) {
        TProcessState copy = Read;  // allocated before the lock is taken
        std::lock_guard lock(Lock);
        State = std::move(copy);
    }
};

DWORD WINAPI RunCaptureJob(void* Parameter) {
    const std::unique_ptr<std::shared_ptr<TCaptureJob>> owner(static_cast<std::shared_ptr<TCaptureJob>*>(Parameter));
    TCaptureJob& job = **owner;
    ::TlsSetValue(kCaptureThreadSlot, &job);
    try {
        TProcessState state = CaptureProcessState(job.FailedThreadId, job.Context);
        job.Publish(state);
        NameStackFrames(state);
        job.Publish(state);
    } catch (...) {
        // Out of memory, most likely: the report goes with what was read.
    }
    return 0;
}

}  // namespace

TProcessState CaptureProcessState(DWORD FailedThreadId, const CONTEXT& Context) {
    TProcessState state;
    state.FailedThreadId = FailedThreadId;
    state.Registers = RegistersOf(Context);
    state.Modules = ListModules();
    state.Processes = ListProcesses();
    RefreshStackWalkerModules();

    TThreadStack failed;
    failed.ThreadId = FailedThreadId;
    failed.Failed = true;
    const UniqueKernelHandle failedThread(
        ::OpenThread(THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE, FailedThreadId));
    failed.Frames = WalkStack(failedThread ? failedThread.get() : ::GetCurrentThread(), Context, ReadLive, kMaxFrames);
    state.Threads.push_back(std::move(failed));

    std::vector<char> stack(kStackCopyBytes);
    for (const DWORD threadId : ListOwnThreads()) {
        if (threadId == FailedThreadId || threadId == ::GetCurrentThreadId()) continue;
        state.Threads.push_back(CaptureOtherThread(threadId, stack));
    }
    return state;
}

std::optional<TProcessState> CaptureProcessStateWithin(DWORD FailedThreadId, const CONTEXT& Context, DWORD TimeoutMs) {
    // Shared with the thread, which may outlive this call when it hangs.
    auto job = std::make_shared<TCaptureJob>();
    job->FailedThreadId = FailedThreadId;
    job->Context = Context;
    auto* parameter = new std::shared_ptr<TCaptureJob>(job);
    const UniqueKernelHandle thread(::CreateThread(nullptr, 0, RunCaptureJob, parameter, 0, nullptr));
    if (!thread) {
        delete parameter;
        return std::nullopt;
    }
    ::WaitForSingleObject(thread.get(), TimeoutMs);
    std::lock_guard lock(job->Lock);
    return std::move(job->State);
}

void NameStackFrames(TProcessState& State) {
    for (TThreadStack& thread : State.Threads) NameFrames(thread.Frames);
}

bool IsCaptureThread() noexcept { return ::TlsGetValue(kCaptureThreadSlot) != nullptr; }

}  // namespace quillon
