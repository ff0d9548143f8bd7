// The Run-key source against Wine's real registry. The test writes values
// named after its process into the real Run keys and removes them again.
#include "autorun/approved_state.h"
#include "autorun/run_keys.h"
#include "platform/folders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace quillon {
namespace {

const std::wstring kRun = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kRun32 = L"\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";

class RunKeysTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitFolderVariables(); }

    void TearDown() override {
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            for (const std::wstring& key : {kRun, kRun32}) TReg::DeleteValue(root, key, Name);
            for (const wchar_t* key : {kApprovedRunKey, kApprovedRun32Key}) TReg::DeleteValue(root, key, Name);
        }
        TReg::DeleteKey(HKEY_CURRENT_USER, L"Software\\QuillonTests", Scratch);
    }

    // The entries of this test's own values, in the order they were listed.
    TAutorunList Mine(const TAutorunList& All) const {
        TAutorunList mine;
        std::copy_if(All.begin(), All.end(), std::back_inserter(mine),
                     [this](const TAutorunInfo& e) { return e.Caption == Name; });
        return mine;
    }

    const std::wstring Name = L"QuillonTool" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring Scratch = L"RunKeys" + std::to_wstring(::GetCurrentProcessId());
};

TEST_F(RunKeysTest, ListsTheThreeKeysInOrderWithTheirOwnStateKeys) {
    const std::wstring command = L"\"C:\\Program Files\\Vendor\\tool.exe\" -startup";
    TReg::WriteString(HKEY_CURRENT_USER, kRun, Name, command);
    TReg::WriteString(HKEY_LOCAL_MACHINE, kRun32, Name, command);
    TReg::WriteString(HKEY_LOCAL_MACHINE, kRun, Name, command);
    // Off in the machine's Run state key only: the 32-bit value keeps its
    // state in Run32 and the user's under HKEY_CURRENT_USER.
    TReg::WriteBinary(HKEY_LOCAL_MACHINE, kApprovedRunKey, Name, MakeApprovedValue(false));
    TReg::WriteBinary(HKEY_CURRENT_USER, kApprovedRun32Key, Name, MakeApprovedValue(false));

    TAutorunList all;
    CollectRunKeys(all);
    const TAutorunList mine = Mine(all);
    ASSERT_EQ(mine.size(), 3u);

    const std::wstring expectedTargets[] = {L"HKLM" + kRun + L"\\" + Name, L"HKLM" + kRun32 + L"\\" + Name,
                                            L"HKCU" + kRun + L"\\" + Name};
    const std::wstring expectedFrom[] = {L"HKLM", L"HKLM", L"HKCU"};
    const bool expectedEnabled[] = {false, true, true};
    for (size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(mine[i].Target, expectedTargets[i]);
        EXPECT_EQ(mine[i].From, expectedFrom[i]);
        EXPECT_EQ(mine[i].Enabled, expectedEnabled[i]);
        EXPECT_EQ(mine[i].RawData, command);
        EXPECT_EQ(mine[i].FileName, L"C:\\Program Files\\Vendor\\tool.exe");
    }
}

TEST_F(RunKeysTest, ListsEveryValueOfAKeyInRegistryOrder) {
    const std::wstring key = L"\\Software\\QuillonTests\\" + Scratch;
    TReg::WriteString(HKEY_CURRENT_USER, key, L"Beta", L"%ProgramFiles%\\Tool\\tool.exe --tray");
    TReg::WriteString(HKEY_CURRENT_USER, key, L"", L"C:\\default.exe");  // the unnamed default value
    TReg::WriteInteger(HKEY_CURRENT_USER, key, L"Number", 7);            // not text, listed all the same
    TReg::WriteString(HKEY_CURRENT_USER, key, L"Alpha", L"\\??\\C:\\Windows\\tray.exe");

    std::vector<std::wstring> order;
    TReg::ReadValueNames(HKEY_CURRENT_USER, key, order);
    TAutorunList list(1);  // an entry already there stays first
    CollectRunKey(HKEY_CURRENT_USER, key, list);
    ASSERT_EQ(list.size(), 5u);
    for (size_t i = 0; i < order.size(); ++i) EXPECT_EQ(list[i + 1].Caption, order[i]);

    auto find = [&](const std::wstring& caption) {
        return *std::find_if(list.begin() + 1, list.end(), [&](const TAutorunInfo& e) { return e.Caption == caption; });
    };
    const TAutorunInfo beta = find(L"Beta");
    EXPECT_EQ(beta.RawData, L"%ProgramFiles%\\Tool\\tool.exe --tray");
    EXPECT_EQ(beta.FileName, ExpandFolderVariable(L"%ProgramFiles%\\Tool\\tool.exe"));
    EXPECT_NE(beta.FileName.find(L"\\Tool\\tool.exe"), std::wstring::npos);
    EXPECT_TRUE(beta.Enabled);
    EXPECT_EQ(find(L"").Target, L"HKCU" + key + L"\\");
    EXPECT_EQ(find(L"Number").RawData, L"");
    EXPECT_EQ(find(L"Alpha").FileName, L"C:\\Windows\\tray.exe");
}

TEST_F(RunKeysTest, AMissingKeyContributesNothing) {
    TAutorunList list;
    CollectRunKey(HKEY_CURRENT_USER, L"\\Software\\QuillonTests\\" + Scratch + L"\\Missing", list);
    EXPECT_TRUE(list.empty());
}

}  // namespace
}  // namespace quillon
