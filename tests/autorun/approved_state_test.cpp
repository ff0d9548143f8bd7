#include "autorun/approved_state.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon {
namespace {

std::uint64_t TicksOf(const TBytes& Value) {
    std::uint64_t ticks = 0;
    for (std::size_t i = 0; i < 8; ++i) ticks |= std::uint64_t{Value[4 + i]} << (8 * i);
    return ticks;
}

std::uint64_t Now() {
    FILETIME time{};
    ::GetSystemTimeAsFileTime(&time);
    return (std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime;
}

TEST(ApprovedState, ReadingRule) {
    const struct {
        const char* What;
        TBytes Bytes;
        bool On;
    } cases[] = {
        {"empty", {}, true},
        {"8 bytes starting 0x03", TBytes(8, 0x03), true},
        {"12 bytes starting 0x02", {0x02, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}, true},
        {"12 bytes starting 0x03", {0x03, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}, false},
        {"12 bytes starting 0x06", {0x06, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}, false},
        {"12 bytes starting 0x00", TBytes(12, 0), false},
        {"13 bytes starting 0x03", {0x03, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, true},
    };
    for (const auto& testCase : cases) EXPECT_EQ(IsApprovedStateOn(testCase.Bytes), testCase.On) << testCase.What;
}

TEST(ApprovedState, MakeApprovedValueAtLaysOutStateAndStamp) {
    const FILETIME stamp{0x44332211, 0x88776655};
    EXPECT_EQ(MakeApprovedValueAt(true, stamp),
              (TBytes{0x02, 0, 0, 0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}));
    EXPECT_EQ(MakeApprovedValueAt(false, stamp),
              (TBytes{0x03, 0, 0, 0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}));
}

TEST(ApprovedState, MakeApprovedValueStampsTheCurrentTime) {
    for (const bool enable : {true, false}) {
        const std::uint64_t before = Now();
        const TBytes value = MakeApprovedValue(enable);
        const std::uint64_t after = Now();
        ASSERT_EQ(value.size(), 12u);
        EXPECT_EQ(value[0], enable ? 0x02 : 0x03);
        // SYSTEMTIME keeps milliseconds only, so the stamp may lie up to
        // 1 ms (10000 ticks) before the earlier clock reading.
        EXPECT_GE(TicksOf(value) + 10000, before);
        EXPECT_LE(TicksOf(value), after);
        EXPECT_EQ(IsApprovedStateOn(value), enable);
    }
}

TEST(ApprovedState, ReadApprovedStateThroughTheRegistry) {
    const std::wstring key = L"Software\\QuillonTests\\" + std::to_wstring(::GetCurrentProcessId()) + L"\\Approved";
    TReg::WriteBinary(HKEY_CURRENT_USER, key, L"Off", MakeApprovedValue(false));
    TReg::WriteBinary(HKEY_CURRENT_USER, key, L"On", MakeApprovedValue(true));

    EXPECT_FALSE(ReadApprovedState(HKEY_CURRENT_USER, key, L"Off"));
    EXPECT_TRUE(ReadApprovedState(HKEY_CURRENT_USER, key, L"On"));
    EXPECT_TRUE(ReadApprovedState(HKEY_CURRENT_USER, key, L"Missing"));
    EXPECT_TRUE(ReadApprovedState(HKEY_CURRENT_USER, key + L"\\Missing", L"Off"));

    TReg::Delete(L"HKCU\\Software\\QuillonTests\\" + std::to_wstring(::GetCurrentProcessId()));
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QuillonTests");  // fails while others use it
}

// A whole key read in one pass answers every name as a read of that one
// value would, letter case and all.
TEST(ApprovedState, TheStatesOfAKeyAnswerAsSingleReadsWould) {
    const std::wstring key = L"Software\\QuillonTests\\" + std::to_wstring(::GetCurrentProcessId()) + L"\\States";
    TReg::WriteBinary(HKEY_CURRENT_USER, key, L"Off", MakeApprovedValue(false));
    TReg::WriteBinary(HKEY_CURRENT_USER, key, L"On", MakeApprovedValue(true));
    TReg::WriteBinary(HKEY_CURRENT_USER, key, L"\u00C4pfel", MakeApprovedValue(false));
    TReg::WriteBinary(HKEY_CURRENT_USER, key, L"Short", TBytes{0x03, 0, 0});
    TReg::WriteString(HKEY_CURRENT_USER, key, L"Text", L"123456789012");
    const TApprovedStates states(HKEY_CURRENT_USER, key);
    for (const wchar_t* name :
         {L"Off", L"OFF", L"off", L"On", L"\u00E4pfel", L"\u00C4PFEL", L"Short", L"Text", L"Missing", L""}) {
        EXPECT_EQ(states.IsOn(name), ReadApprovedState(HKEY_CURRENT_USER, key, name))
            << testing::PrintToString(std::wstring(name));
    }
    EXPECT_FALSE(states.IsOn(L"oFf"));
    EXPECT_TRUE(TApprovedStates(HKEY_CURRENT_USER, key + L"\\Missing").IsOn(L"Off"));
    TReg::Delete(L"HKCU\\Software\\QuillonTests\\" + std::to_wstring(::GetCurrentProcessId()));
}

}  // namespace
}  // namespace quillon
