#pragma once
// What an error report tells about the process at the moment of a failure:
// the failing thread's registers, every thread's stack, the loaded modules
// and the processes running beside it. Plain data, so the text made from it
// can be checked without a failure.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

struct TRegister {
    const char* Name = "";
    std::uint64_t Value = 0;
    // Hex digits to show: the register's width.
    int Digits = 16;
};

struct TModuleEntry {
    std::uint64_t Base = 0;
    std::uint64_t Size = 0;
    std::wstring Path;
};

struct TStackFrame {
    std::uint64_t Address = 0;
    // The function's name where symbols exist, else empty.
    std::wstring Symbol;
    std::uint64_t Displacement = 0;
};

struct TThreadStack {
    DWORD ThreadId = 0;
    bool Failed = false;
    std::vector<TStackFrame> Frames;
    // Why the frames are missing, when they are.
    std::wstring Problem;
};

struct TProcessEntry {
    DWORD ProcessId = 0;
    std::wstring ExeName;
};

struct TProcessState {
    DWORD FailedThreadId = 0;
    std::vector<TRegister> Registers;
    // The failing thread first.
    std::vector<TThreadStack> Threads;
    // Sorted by base address.
    std::vector<TModuleEntry> Modules;
    std::vector<TProcessEntry> Processes;
};

}  // namespace quillon
