// The words for failures that are not C++ exceptions, and the text the
// report makes of the process state.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "crash/failure_text.h"
#include "crash/process_state_text.h"
#include "tests/crash/error_report_test_support.h"

namespace quillon {
namespace {

using ::testing::ElementsAre;

EXCEPTION_RECORD Record(DWORD Code, std::vector<ULONG_PTR> Information = {}) {
    EXCEPTION_RECORD record{};
    record.ExceptionCode = Code;
    record.NumberParameters = static_cast<DWORD>(Information.size());
    for (std::size_t at = 0; at < Information.size(); ++at) record.ExceptionInformation[at] = Information[at];
    return record;
}

TEST(FailureText, StructuredExceptionsInWords) {
    struct TCase {
        EXCEPTION_RECORD Record;
        std::wstring Expected;
    };
    const TCase cases[] = {
        {Record(EXCEPTION_ACCESS_VIOLATION, {0, 0x10}),
         L"Access violation reading address 0x0000000000000010 at Quillon.exe+0x1a2b"},
        {Record(EXCEPTION_ACCESS_VIOLATION, {1, 0}),
         L"Access violation writing address 0x0000000000000000 at Quillon.exe+0x1a2b"},
        {Record(EXCEPTION_ACCESS_VIOLATION, {8, 0x401000}),
         L"Access violation executing address 0x0000000000401000 at Quillon.exe+0x1a2b"},
        {Record(EXCEPTION_IN_PAGE_ERROR, {0, 0x2000, 0xC000009C}),
         L"In-page error reading address 0x0000000000002000 at Quillon.exe+0x1a2b"},
        // A record that does not say what was touched.
        {Record(EXCEPTION_ACCESS_VIOLATION), L"Access violation at Quillon.exe+0x1a2b"},
        {Record(EXCEPTION_STACK_OVERFLOW), L"Stack overflow at Quillon.exe+0x1a2b"},
        {Record(EXCEPTION_INT_DIVIDE_BY_ZERO), L"Integer division by zero at Quillon.exe+0x1a2b"},
        {Record(0xC0000409), L"Stack buffer overrun at Quillon.exe+0x1a2b"},
        {Record(0xE0000001), L"Exception 0xE0000001 at Quillon.exe+0x1a2b"},
    };
    for (const TCase& testCase : cases) {
        SCOPED_TRACE(testing::PrintToString(testCase.Expected));
        EXPECT_EQ(DescribeStructuredException(testCase.Record, L"Quillon.exe+0x1a2b"), testCase.Expected);
    }
}

TEST(FailureText, TheSameFaultIsTheSameErrorWhateverAddressItTouched) {
    const std::wstring key = StructuredExceptionKey(Record(EXCEPTION_ACCESS_VIOLATION, {0, 0x10}), L"Q.exe+0x1a2b");

    EXPECT_EQ(key, L"0xC0000005 at Q.exe+0x1a2b");
    EXPECT_EQ(StructuredExceptionKey(Record(EXCEPTION_ACCESS_VIOLATION, {0, 0x7ff0}), L"Q.exe+0x1a2b"), key);
    EXPECT_NE(StructuredExceptionKey(Record(EXCEPTION_ACCESS_VIOLATION, {0, 0x10}), L"Q.exe+0x1a2c"), key);
    EXPECT_NE(StructuredExceptionKey(Record(EXCEPTION_INT_DIVIDE_BY_ZERO), L"Q.exe+0x1a2b"), key);
}

TEST(FailureText, InvalidParameterSaysWhatTheRuntimeTells) {
    EXPECT_EQ(InvalidParameterText(nullptr, nullptr, nullptr, 0), L"Invalid parameter passed to a C runtime function");
    EXPECT_EQ(InvalidParameterText(L"buffer != nullptr", L"wcscpy_s", L"wcscpy_s.c", 42),
              L"Invalid parameter passed to a C runtime function in wcscpy_s: buffer != nullptr (wcscpy_s.c line 42)");
}

const std::vector<TModuleEntry> kModules = {
    {0x140000000, 0x5000, L"C:\\Program Files\\Quillon\\Quillon.exe"},
    {0x170000000, 0x1000, L"C:\\Windows\\System32\\ntdll.dll"},
};

TEST(ProcessStateText, AnAddressIsPlacedInItsModule) {
    EXPECT_EQ(AddressInModule(kModules, 0x140001a2b), L"Quillon.exe+0x1a2b");
    EXPECT_EQ(AddressInModule(kModules, 0x140000000), L"Quillon.exe+0x0");
    EXPECT_EQ(AddressInModule(kModules, 0x170000fff), L"ntdll.dll+0xfff");
    EXPECT_EQ(AddressInModule(kModules, 0x170001000), L"0x0000000170001000") << "one past the end";
    EXPECT_EQ(AddressInModule({}, 0x10), L"0x0000000000000010");
}

std::vector<std::wstring> Lines(const std::wstring& Text) { return test::SplitLines<std::wstring>(Text, L"\n"); }

TEST(ProcessStateText, TheStateReadsRegistersThreadsModulesAndProcesses) {
    TProcessState state;
    state.FailedThreadId = 7;
    state.Registers = {{"rax", 0x1}, {"rbx", 0x2}, {"rcx", 0x3}, {"rdx", 0x4}, {"eflags", 0x246, 8}};
    state.Threads = {
        {7, true, {{0x140001a2b, L"Fail", 0x1b}, {0x170000010, {}, 0}}, {}},
        {9, false, {}, L"its registers could not be read"},
    };
    state.Modules = kModules;
    state.Processes = {{4, L"System"}, {1200, L"Quillon.exe"}};

    EXPECT_THAT(Lines(FormatProcessState(state)),
                ElementsAre(L"Registers of thread 7:",
                            L"  rax=0000000000000001 rbx=0000000000000002 rcx=0000000000000003 rdx=0000000000000004",
                            L"  eflags=00000246", L"Thread 7 (failed):", L"  Quillon.exe+0x1a2b Fail+0x1b",
                            L"  ntdll.dll+0x10", L"Thread 9:", L"  (its registers could not be read)", L"Modules:",
                            L"  0000000140000000 00005000 C:\\Program Files\\Quillon\\Quillon.exe",
                            L"  0000000170000000 00001000 C:\\Windows\\System32\\ntdll.dll", L"Processes:",
                            L"  4 System", L"  1200 Quillon.exe"));
}

TEST(ProcessStateText, RegistersAreReadFromTheContext) {
    CONTEXT context{};
    context.Rax = 0xA;
    context.R15 = 0xF;
    context.Rip = 0x140001a2b;
    context.Rsp = 0x21f868;
    context.EFlags = 0x10246;
    std::vector<std::string> names;
    for (const TRegister& reg : RegistersOf(context)) names.push_back(reg.Name);
    EXPECT_THAT(names, ElementsAre("rax", "rbx", "rcx", "rdx", "rsi", "rdi", "rbp", "rsp", "r8", "r9", "r10", "r11",
                                   "r12", "r13", "r14", "r15", "rip", "eflags"));
    const std::vector<TRegister> registers = RegistersOf(context);
    EXPECT_EQ(registers[0].Value, 0xAu);
    EXPECT_EQ(registers[7].Value, 0x21f868u);
    EXPECT_EQ(registers[15].Value, 0xFu);
    EXPECT_EQ(registers[16].Value, 0x140001a2bu);
    EXPECT_EQ(registers[17].Value, 0x10246u);
    EXPECT_EQ(registers[17].Digits, 8);
}

}  // namespace
}  // namespace quillon
