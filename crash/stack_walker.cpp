#include "crash/stack_walker.h"

#include <dbghelp.h>

#include <mutex>
#include <string>

#include "platform/files.h"
#include "platform/module_function.h"

namespace quillon {

namespace {

using TSymRefreshModuleList = BOOL(WINAPI*)(HANDLE);

struct TDbgHelp {
    decltype(&::SymSetOptions) SetOptions = nullptr;
    decltype(&::SymInitializeW) Initialize = nullptr;
    TSymRefreshModuleList RefreshModuleList = nullptr;
    decltype(&::StackWalk64) Walk = nullptr;
    decltype(&::SymFunctionTableAccess64) FunctionTableAccess = nullptr;
    decltype(&::SymGetModuleBase64) GetModuleBase = nullptr;
    decltype(&::SymFromAddrW) FromAddress = nullptr;
    bool Initialized = false;
};

// Only from the system folder: the program runs elevated, and a dbghelp.dll
// planted beside it must not be loaded in its place.
TDbgHelp LoadDbgHelp() {
    TDbgHelp dbgHelp;
    const HMODULE library = LoadSystemLibrary(L"dbghelp.dll");
    if (!library) return dbgHelp;
    const bool complete = FindFunction(library, "SymSetOptions", dbgHelp.SetOptions) &&
                          FindFunction(library, "SymInitializeW", dbgHelp.Initialize) &&
                          FindFunction(library, "StackWalk64", dbgHelp.Walk) &&
                          FindFunction(library, "SymFunctionTableAccess64", dbgHelp.FunctionTableAccess) &&
                          FindFunction(library, "SymGetModuleBase64", dbgHelp.GetModuleBase) &&
                          FindFunction(library, "SymFromAddrW", dbgHelp.FromAddress);
    FindFunction(library, "SymRefreshModuleList", dbgHelp.RefreshModuleList);  // modules loaded since, if it can
    if (!complete) dbgHelp.Walk = nullptr;
    return dbgHelp;
}

// Guards dbghelp and everything below.
std::mutex gLock;
TDbgHelp* gDbgHelp = nullptr;
const TMemoryReader* gReader = nullptr;

TDbgHelp& DbgHelp() {
    if (!gDbgHelp) gDbgHelp = new TDbgHelp(LoadDbgHelp());  // kept for the life of the process
    return *gDbgHelp;
}

// Symbols are looked for beside the program only: dbghelp's default path
// can name a symbol server, and a failing program must not go looking on
// the network.
bool ReadySymbols(TDbgHelp& DbgHelp) {
    if (!DbgHelp.Walk) return false;
    const HANDLE process = ::GetCurrentProcess();
    if (DbgHelp.Initialized) return true;
    DbgHelp.SetOptions(SYMOPT_UNDNAME | SYMOPT_DEFERRED_LOADS | SYMOPT_FAIL_CRITICAL_ERRORS | SYMOPT_NO_PROMPTS);
    const std::wstring program = ModulePath();
    const std::wstring folder = program.substr(0, program.find_last_of(L"\\/"));
    DbgHelp.Initialized = DbgHelp.Initialize(process, folder.c_str(), TRUE);
    return DbgHelp.Initialized;
}

BOOL CALLBACK ReadThroughReader(HANDLE, DWORD64 Address, PVOID Buffer, DWORD Size, LPDWORD Read) {
    const bool read = (*gReader)(Address, Buffer, Size);
    *Read = read ? Size : 0;
    return read;
}

void Name(TDbgHelp& DbgHelp, TStackFrame& Frame, bool ReturnAddress) {
    // A return address can be the first byte after a function that ends in
    // a call; the call itself belongs to the function that made it.
    const DWORD64 lookup = Frame.Address - (ReturnAddress ? 1 : 0);
    alignas(SYMBOL_INFOW) char buffer[sizeof(SYMBOL_INFOW) + MAX_SYM_NAME * sizeof(wchar_t)] = {};
    auto* symbol = reinterpret_cast<SYMBOL_INFOW*>(buffer);
    symbol->SizeOfStruct = sizeof(SYMBOL_INFOW);
    symbol->MaxNameLen = MAX_SYM_NAME;
    DWORD64 displacement = 0;
    if (!DbgHelp.FromAddress(::GetCurrentProcess(), lookup, &displacement, symbol)) return;
    Frame.Symbol.assign(symbol->Name, symbol->NameLen);
    Frame.Displacement = Frame.Address - symbol->Address;
}

}  // namespace

void PrepareStackWalker() noexcept try {
    std::lock_guard lock(gLock);
    DbgHelp();
} catch (...) {
    // Not to be had now; a failure tries again.
}

void RefreshStackWalkerModules() noexcept try {
    std::lock_guard lock(gLock);
    TDbgHelp& dbgHelp = DbgHelp();
    if (dbgHelp.Initialized && dbgHelp.RefreshModuleList) dbgHelp.RefreshModuleList(::GetCurrentProcess());
} catch (...) {
    // The modules known at the last walk serve.
}

std::vector<TStackFrame> WalkStack(HANDLE Thread, const CONTEXT& Context, const TMemoryReader& Read,
                                   std::size_t MaxFrames) {
    std::lock_guard lock(gLock);
    TDbgHelp& dbgHelp = DbgHelp();
    std::vector<TStackFrame> frames;
    if (!ReadySymbols(dbgHelp)) return frames;
    gReader = &Read;
    CONTEXT context = Context;  // the walk moves it outwards frame by frame
    STACKFRAME64 frame{};
#if defined(__x86_64__)
    const DWORD machine = IMAGE_FILE_MACHINE_AMD64;
    frame.AddrPC.Offset = context.Rip;
    frame.AddrStack.Offset = context.Rsp;
    frame.AddrFrame.Offset = context.Rbp;
#else
    const DWORD machine = IMAGE_FILE_MACHINE_I386;
    frame.AddrPC.Offset = context.Eip;
    frame.AddrStack.Offset = context.Esp;
    frame.AddrFrame.Offset = context.Ebp;
#endif
    frame.AddrPC.Mode = frame.AddrStack.Mode = frame.AddrFrame.Mode = AddrModeFlat;
    while (frames.size() < MaxFrames &&
           dbgHelp.Walk(machine, ::GetCurrentProcess(), Thread, &frame, &context, ReadThroughReader,
                        dbgHelp.FunctionTableAccess, dbgHelp.GetModuleBase, nullptr)) {
        if (frame.AddrPC.Offset == 0) break;
        TStackFrame found;
        found.Address = frame.AddrPC.Offset;
        frames.push_back(std::move(found));
    }
    gReader = nullptr;
    return frames;
}

void NameFrames(std::vector<TStackFrame>& Frames) {
    std::lock_guard lock(gLock);
    TDbgHelp& dbgHelp = DbgHelp();
    if (!ReadySymbols(dbgHelp)) return;
    for (std::size_t at = 0; at < Frames.size(); ++at) Name(dbgHelp, Frames[at], at > 0);
}

}  // namespace quillon
