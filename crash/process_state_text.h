#pragma once
// The process state of an error report as text lines.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "crash/process_state.h"

namespace quillon {

// The registers a report shows, read from a thread's context: the integer
// registers, the instruction and stack pointers and the flags of this
// build's processor.
std::vector<TRegister> RegistersOf(const CONTEXT& Context);

// Address in hex with all the digits of a pointer of this build: "0x" and
// 16 digits in the 64-bit build, 8 in the 32-bit one.
std::wstring AddressText(std::uint64_t Address);

// "Quillon.exe+0x1a2b" for an address inside one of Modules, else the bare
// address in hex: the offset stays the same from run to run, the address
// does not.
std::wstring AddressInModule(const std::vector<TModuleEntry>& Modules, std::uint64_t Address);

// The report's details: the failing thread's registers, the stack of each
// thread (module and offset of every frame, and the function's name where
// symbols exist), the modules and the processes, lines separated by "\n".
std::wstring FormatProcessState(const TProcessState& State);

}  // namespace quillon
