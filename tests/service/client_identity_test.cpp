// The client identifier in Wine's registry, and the program's own version
// from the version resource that every test program carries too.
#include "service/client_identity.h"

#include "platform/registry.h"
#include "version.h"

#include <gtest/gtest.h>

#include <regex>

namespace quillon {
namespace {

// The 32 characters: 8 hex digits (first 0-7), yymmdd, 4 hex digits,
// hhnnss, 8 hex digits (first 0-7).
bool HasTheLayout(const std::wstring& Id) {
    static const std::wregex kLayout(LR"([0-7][0-9A-F]{7}\d{6}[0-9A-F]{4}\d{6}[0-7][0-9A-F]{7})");
    return std::regex_match(Id, kLayout);
}

std::wstring DateText(const SYSTEMTIME& Time) {
    wchar_t text[8]{};
    std::swprintf(text, 8, L"%02u%02u%02u", Time.wYear % 100u, static_cast<unsigned>(Time.wMonth),
                  static_cast<unsigned>(Time.wDay));
    return text;
}

int SecondsOfDay(const std::wstring& Hhnnss) {
    return std::stoi(Hhnnss.substr(0, 2)) * 3600 + std::stoi(Hhnnss.substr(2, 2)) * 60 + std::stoi(Hhnnss.substr(4, 2));
}

// Keeps what the prefix held under the identifier's key and puts it back.
class ClientIdTest : public ::testing::Test {
protected:
    void SetUp() override { FSaved = TReg::ReadString(HKEY_CURRENT_USER, kClientIdKey, kClientIdValue, L""); }
    void TearDown() override {
        TReg::DeleteValue(HKEY_CURRENT_USER, kClientIdKey, kClientIdValue);
        if (!FSaved.empty()) TReg::WriteString(HKEY_CURRENT_USER, kClientIdKey, kClientIdValue, FSaved);
    }
    static DWORD ValueType() {
        DWORD type = REG_NONE;
        ::RegGetValueW(HKEY_CURRENT_USER, kClientIdKey, kClientIdValue, RRF_RT_ANY, &type, nullptr, nullptr);
        return type;
    }

private:
    std::wstring FSaved;
};

TEST_F(ClientIdTest, IsMadeOnceWhenAbsentAndThenReadBack) {
    TReg::DeleteKey(HKEY_CURRENT_USER, L"Software", L"Tamrisk");
    SYSTEMTIME before{};
    ::GetLocalTime(&before);
    const std::wstring made = GetUID();
    SYSTEMTIME after{};
    ::GetLocalTime(&after);

    ASSERT_TRUE(HasTheLayout(made)) << ::testing::PrintToString(made);
    EXPECT_TRUE(made.substr(8, 6) == DateText(before) || made.substr(8, 6) == DateText(after));
    const int seconds = SecondsOfDay(made.substr(18, 6));
    const int from = before.wHour * 3600 + before.wMinute * 60 + before.wSecond;
    const int to = after.wHour * 3600 + after.wMinute * 60 + after.wSecond;
    EXPECT_TRUE(from <= to ? seconds >= from && seconds <= to : seconds >= from || seconds <= to);

    EXPECT_EQ(ValueType(), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, kClientIdKey, kClientIdValue, L""), made);
    EXPECT_EQ(GetUID(), made) << "every later run sends the same text";
}

TEST_F(ClientIdTest, AValueThatIsEmptyOrNoTextGivesEmptyTextAndStays) {
    TReg::WriteString(HKEY_CURRENT_USER, kClientIdKey, kClientIdValue, L"");
    EXPECT_EQ(GetUID(), L"");
    EXPECT_EQ(ValueType(), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, kClientIdKey, kClientIdValue, L"?"), L"") << "not made anew";

    TReg::WriteInteger(HKEY_CURRENT_USER, kClientIdKey, kClientIdValue, 1234);
    EXPECT_EQ(GetUID(), L"");
    EXPECT_EQ(ValueType(), static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(TReg::ReadInteger(HKEY_CURRENT_USER, kClientIdKey, kClientIdValue, 0), 1234) << "the number stays";
}

TEST(NewUID, HasTheLayoutAndDiffersEachTime) {
    const std::wstring first = NewUID();
    const std::wstring second = NewUID();
    EXPECT_TRUE(HasTheLayout(first)) << ::testing::PrintToString(first);
    EXPECT_TRUE(HasTheLayout(second)) << ::testing::PrintToString(second);
    EXPECT_NE(first, second);
}

TEST(GetAppVersion, IsTheProjectVersionFromTheVersionResource) {
    const std::wstring expected =
        std::to_wstring(QUILLON_VERSION_MAJOR) + L"." + std::to_wstring(QUILLON_VERSION_MINOR) + L"." +
        std::to_wstring(QUILLON_VERSION_PATCH) + L"." + std::to_wstring(QUILLON_VERSION_BUILD);
    EXPECT_EQ(GetAppVersion(), expected);
    EXPECT_EQ(GetAppVersion(L"v%d.%d (build %d-%d)"), L"v" + std::to_wstring(QUILLON_VERSION_MAJOR) + L"." +
                                                          std::to_wstring(QUILLON_VERSION_MINOR) + L" (build " +
                                                          std::to_wstring(QUILLON_VERSION_PATCH) + L"-" +
                                                          std::to_wstring(QUILLON_VERSION_BUILD) + L")");
}

}  // namespace
}  // namespace quillon
