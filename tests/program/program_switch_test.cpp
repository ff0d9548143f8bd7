// Switching with the program as it ships, on Windows 10: each kind of entry
// is switched off and on again the way the system keeps its state, and the
// state is read back where the system keeps it (the approved-state values
// of the native and the 32-bit Run keys under the right root, the start-up
// folders', a service's start type). A Run value deleted by another program
// after it was shown gets no state value.

#include "autorun/approved_state.h"
#include "platform/registry.h"
#include "tests/program/program_entries.h"
#include "tests/support/endpoint_stub.h"
#include "tests/support/running_quillon.h"
#include "tests/support/wine_version.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

namespace quillon {
namespace {

using test::TProgramEntries;
using test::TRunKey;
using test::WaitFor;

// The state byte of an approved-state value: 2 on, 3 off; 0 when there is
// no value of the right length.
int StateOf(HKEY Root, const wchar_t* Key, const std::wstring& Name) {
    const std::vector<unsigned char> value = TProgramEntries::Approved(Root, Key, Name);
    return value.size() == 12 ? value[0] : 0;
}

class ProgramSwitchTest : public ::testing::Test {
protected:
    ProgramSwitchTest() { FStub.Reply("{}"); }

    const test::TEndpointStub FStub;
    // Switching writes approved-state values from Windows 10 on.
    const test::TWineVersionFor FWindows10{std::filesystem::path(test::QuillonExe()).filename().wstring(), L"win10"};
};

TEST_F(ProgramSwitchTest, EachKindIsSwitchedOffAndOnAndReadBackWhereTheSystemKeepsIt) {
    const auto tagged = &TProgramEntries::Tagged;
    TProgramEntries entries;
    const std::wstring machine = entries.RunValue(TRunKey::Machine, tagged(L"QlnSwMachine"), L"C:\\QlnNowhere\\a.exe");
    const std::wstring machine32 =
        entries.RunValue(TRunKey::Machine32, tagged(L"QlnSwMachine32"), L"C:\\QlnNowhere\\b.exe");
    const std::wstring user = entries.RunValue(TRunKey::User, tagged(L"QlnSwUser"), L"C:\\QlnNowhere\\c.exe");
    const std::wstring file = tagged(L"QlnSwFile");
    entries.StartupFile(false, file + L".lnk", "not really a shortcut");
    const std::wstring commonFile = tagged(L"QlnSwCommonFile");
    entries.StartupFile(true, commonFile + L".lnk", "not really a shortcut");
    const std::wstring serviceName = tagged(L"QlnSwSvc");
    const std::wstring service = tagged(L"Quillon Switch Service ");
    ASSERT_TRUE(entries.Service(serviceName, service, SERVICE_DEMAND_START, L"C:\\QlnNowhere\\svc.exe"));

    // The row's name, and where its state is read back: on is 2 and off 3
    // for an approved-state value, automatic (2) and disabled (4) for a
    // service; the service starts switched off (demand start).
    struct TCase {
        std::wstring Row;
        std::function<int()> State;
        int On;
        int Off;
    };
    const TCase cases[] = {
        {machine, [&] { return StateOf(HKEY_LOCAL_MACHINE, kApprovedRunKey, machine); }, 2, 3},
        {machine32, [&] { return StateOf(HKEY_LOCAL_MACHINE, kApprovedRun32Key, machine32); }, 2, 3},
        {user, [&] { return StateOf(HKEY_CURRENT_USER, kApprovedRunKey, user); }, 2, 3},
        {file, [&] { return StateOf(HKEY_CURRENT_USER, kApprovedStartupFolderKey, file + L".lnk"); }, 2, 3},
        {commonFile, [&] { return StateOf(HKEY_LOCAL_MACHINE, kApprovedStartupFolderKey, commonFile + L".lnk"); }, 2,
         3},
        {service, [&] { return static_cast<int>(TProgramEntries::StartType(serviceName)); }, 2, 4},
    };

    test::TRunningQuillon quillon;
    ASSERT_TRUE(quillon);
    const test::TRemoteList& list = quillon.List();
    // The service is switched off: only "All Programs" shows it.
    test::PostClick(quillon.Controls().AllPrograms);
    for (const TCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.Row));
        ASSERT_TRUE(WaitFor([&] { return list.Find(c.Row) >= 0; }));
        const bool startsOn = c.Row != service;
        list.Select(list.Find(c.Row));
        test::PostClick(quillon.Controls().Switch);
        EXPECT_TRUE(WaitFor([&] { return c.State() == (startsOn ? c.Off : c.On); }));
        // The row stays selected; the second click switches it back.
        ASSERT_TRUE(WaitFor([&] { return list.Selected() == list.Find(c.Row); }));
        test::PostClick(quillon.Controls().Switch);
        EXPECT_TRUE(WaitFor([&] { return c.State() == (startsOn ? c.On : c.Off); }));
    }
    EXPECT_TRUE(quillon.Running());
    EXPECT_EQ(quillon.Close(), 0u);
}

TEST_F(ProgramSwitchTest, ARunValueDeletedAfterItWasShownGetsNoStateValue) {
    TProgramEntries entries;
    const std::wstring name =
        entries.RunValue(TRunKey::User, TProgramEntries::Tagged(L"QlnVanishing"), L"C:\\QlnNowhere\\gone.exe");
    test::TRunningQuillon quillon;
    ASSERT_TRUE(quillon);
    const test::TRemoteList& list = quillon.List();
    ASSERT_TRUE(WaitFor([&] { return list.Find(name) >= 0; }));
    list.Select(list.Find(name));
    // Another program removes it while it is selected.
    TReg::DeleteValue(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", name);
    test::PostClick(quillon.Controls().Switch);
    EXPECT_TRUE(WaitFor([&] { return list.Find(name) < 0; })) << "the refresh shows it gone";
    EXPECT_TRUE(TProgramEntries::Approved(HKEY_CURRENT_USER, kApprovedRunKey, name).empty())
        << "no stray state value for a name that is not there";
    EXPECT_EQ(quillon.Close(), 0u);
}

}  // namespace
}  // namespace quillon
