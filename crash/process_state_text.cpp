#include "crash/process_state_text.h"

#include "platform/text.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

namespace quillon {

namespace {

constexpr int kAddressDigits = static_cast<int>(sizeof(void*) * 2);
constexpr std::size_t kRegistersPerLine = 4;

std::wstring Hex(std::uint64_t Value, int Digits) {
    wchar_t text[24];
    std::swprintf(text, std::size(text), L"%0*llx", Digits, static_cast<unsigned long long>(Value));
    return text;
}

void AppendRegisters(std::wstring& Text, const TProcessState& State) {
    Text += L"Registers of thread " + std::to_wstring(State.FailedThreadId) + L":\n";
    for (std::size_t at = 0; at < State.Registers.size(); at += kRegistersPerLine) {
        std::wstring line = L" ";
        for (std::size_t index = at; index < std::min(at + kRegistersPerLine, State.Registers.size()); ++index) {
            const TRegister& reg = State.Registers[index];
            line += L' ';
            line.append(reg.Name, reg.Name + std::strlen(reg.Name));
            line += L'=' + Hex(reg.Value, reg.Digits);
        }
        Text += line + L'\n';
    }
}

void AppendThread(std::wstring& Text, const TThreadStack& Thread, const std::vector<TModuleEntry>& Modules) {
    Text += L"Thread " + std::to_wstring(Thread.ThreadId) + (Thread.Failed ? L" (failed):\n" : L":\n");
    for (const TStackFrame& frame : Thread.Frames) {
        Text += L"  " + AddressInModule(Modules, frame.Address);
        if (!frame.Symbol.empty()) Text += L' ' + frame.Symbol + L"+0x" + Hex(frame.Displacement, 1);
        Text += L'\n';
    }
    if (!Thread.Problem.empty()) Text += L"  (" + Thread.Problem + L")\n";
}

}  // namespace

std::vector<TRegister> RegistersOf(const CONTEXT& Context) {
#if defined(__x86_64__)
    return {
        {"rax", Context.Rax}, {"rbx", Context.Rbx}, {"rcx", Context.Rcx},
        {"rdx", Context.Rdx}, {"rsi", Context.Rsi}, {"rdi", Context.Rdi},
        {"rbp", Context.Rbp}, {"rsp", Context.Rsp}, {"r8", Context.R8},
        {"r9", Context.R9},   {"r10", Context.R10}, {"r11", Context.R11},
        {"r12", Context.R12}, {"r13", Context.R13}, {"r14", Context.R14},
        {"r15", Context.R15}, {"rip", Context.Rip}, {"eflags", Context.EFlags, 8},
    };
#elif defined(__i386__)
    return {
        {"eax", Context.Eax, 8}, {"ebx", Context.Ebx, 8},       {"ecx", Context.Ecx, 8}, {"edx", Context.Edx, 8},
        {"esi", Context.Esi, 8}, {"edi", Context.Edi, 8},       {"ebp", Context.Ebp, 8}, {"esp", Context.Esp, 8},
        {"eip", Context.Eip, 8}, {"eflags", Context.EFlags, 8},
    };
#else
#error "registers of this processor are not known"
#endif
}

std::wstring AddressText(std::uint64_t Address) { return L"0x" + Hex(Address, kAddressDigits); }

std::wstring AddressInModule(const std::vector<TModuleEntry>& Modules, std::uint64_t Address) {
    for (const TModuleEntry& module : Modules) {
        if (Address >= module.Base && Address - module.Base < module.Size)
            return FileNamePart(module.Path) + L"+0x" + Hex(Address - module.Base, 1);
    }
    return AddressText(Address);
}

std::wstring FormatProcessState(const TProcessState& State) {
    std::wstring text;
    AppendRegisters(text, State);
    for (const TThreadStack& thread : State.Threads) AppendThread(text, thread, State.Modules);
    text += L"Modules:\n";
    for (const TModuleEntry& module : State.Modules)
        text += L"  " + Hex(module.Base, kAddressDigits) + L' ' + Hex(module.Size, 8) + L' ' + module.Path + L'\n';
    text += L"Processes:\n";
    for (const TProcessEntry& process : State.Processes)
        text += L"  " + std::to_wstring(process.ProcessId) + L' ' + process.ExeName + L'\n';
    return text;
}

}  // namespace quillon
