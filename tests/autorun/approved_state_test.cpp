#include "autorun/approved_state.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon {
namespace {

std::uint64_t TicksOf(const TBytes& Value) {
    std::uint64_t Ticks = 0;
    for (std::size_t I = 0; I < 8; ++I) Ticks |= std::uint64_t{Value[4 + I]} << (8 * I);
    return Ticks;
}

std::uint64_t Now() {
    FILETIME Time{};
    ::GetSystemTimeAsFileTime(&Time);
    return (std::uint64_t{Time.dwHighDateTime} << 32) | Time.dwLowDateTime;
}

TEST(ApprovedState, ReadingRule) {
    const struct {
        const char* What;
        TBytes Bytes;
        bool On;
    } Cases[] = {
        {"empty", {}, true},
        {"8 bytes starting 0x03", TBytes(8, 0x03), true},
        {"12 bytes starting 0x02", {0x02, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}, true},
        {"12 bytes starting 0x03", {0x03, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}, false},
        {"12 bytes starting 0x06", {0x06, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8}, false},
        {"12 bytes starting 0x00", TBytes(12, 0), false},
        {"13 bytes starting 0x03", {0x03, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, true},
    };
    for (const auto& Case : Cases) EXPECT_EQ(IsApprovedStateOn(Case.Bytes), Case.On) << Case.What;
}

TEST(ApprovedState, MakeApprovedValueAtLaysOutStateAndStamp) {
    const FILETIME Stamp{0x44332211, 0x88776655};
    EXPECT_EQ(MakeApprovedValueAt(true, Stamp),
              (TBytes{0x02, 0, 0, 0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}));
    EXPECT_EQ(MakeApprovedValueAt(false, Stamp),
              (TBytes{0x03, 0, 0, 0, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}));
}

TEST(ApprovedState, MakeApprovedValueStampsTheCurrentTime) {
    for (const bool Enable : {true, false}) {
        const std::uint64_t Before = Now();
        const TBytes Value = MakeApprovedValue(Enable);
        const std::uint64_t After = Now();
        ASSERT_EQ(Value.size(), 12u);
        EXPECT_EQ(Value[0], Enable ? 0x02 : 0x03);
        // SYSTEMTIME keeps milliseconds only, so the stamp may lie up to
        // 1 ms (10000 ticks) before the earlier clock reading.
        EXPECT_GE(TicksOf(Value) + 10000, Before);
        EXPECT_LE(TicksOf(Value), After);
        EXPECT_EQ(IsApprovedStateOn(Value), Enable);
    }
}

TEST(ApprovedState, ReadApprovedStateThroughTheRegistry) {
    const std::wstring Key = L"Software\\QuillonTests\\" + std::to_wstring(::GetCurrentProcessId()) + L"\\Approved";
    TReg::WriteBinary(HKEY_CURRENT_USER, Key, L"Off", MakeApprovedValue(false));
    TReg::WriteBinary(HKEY_CURRENT_USER, Key, L"On", MakeApprovedValue(true));

    EXPECT_FALSE(ReadApprovedState(HKEY_CURRENT_USER, Key, L"Off"));
    EXPECT_TRUE(ReadApprovedState(HKEY_CURRENT_USER, Key, L"On"));
    EXPECT_TRUE(ReadApprovedState(HKEY_CURRENT_USER, Key, L"Missing"));
    EXPECT_TRUE(ReadApprovedState(HKEY_CURRENT_USER, Key + L"\\Missing", L"Off"));

    TReg::Delete(L"HKCU\\Software\\QuillonTests\\" + std::to_wstring(::GetCurrentProcessId()));
    ::RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\QuillonTests");  // fails while others use it
}

}  // namespace
}  // namespace quillon
