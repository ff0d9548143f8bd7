// The list of the program as it ships, read from outside: entries of every
// kind in the order the program gathers them, the built-in lists and the
// service's reply hiding what they name, a switched-off entry shown only
// with "All Programs", and a program that only the native system folder
// holds named and pictured as a native program sees it.

#include "autorun/approved_state.h"
#include "platform/registry.h"
#include "tests/program/program_entries.h"
#include "tests/support/endpoint_stub.h"
#include "tests/support/running_quillon.h"
#include "tests/support/test_files.h"
#include "platform/utf8.h"
#include "view/list_images.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon {
namespace {

using test::TProgramEntries;
using test::TRow;
using test::TRunKey;
using test::WaitFor;

// The rows that belong to this test, in list order.
std::vector<TRow> OwnRows(const test::TRemoteList& List) {
    const std::wstring tag = std::to_wstring(::GetCurrentProcessId());
    std::vector<TRow> own;
    for (const TRow& row : List.Rows()) {
        if (row.first.find(tag) != std::wstring::npos) own.push_back(row);
    }
    return own;
}

TEST(ProgramList, EveryKindInOrderAndWhatTheListsHideLeftOut) {
    const auto tagged = &TProgramEntries::Tagged;
    const test::TEndpointStub stub;
    stub.Reply(R"({"name_white":[")" + Utf8FromWide(tagged(L"QlnHiddenByReply")) + R"("]})");
    TProgramEntries entries;
    const std::wstring common = tagged(L"QlnCommonFile");
    const std::wstring user = tagged(L"QlnUserFile");
    entries.StartupFile(true, common + L".bat", "@echo off\r\n");
    entries.StartupFile(false, user + L".lnk", "not really a shortcut");
    const std::wstring machine = entries.RunValue(TRunKey::Machine, tagged(L"QlnMachine"), L"C:\\QlnNowhere\\m.exe");
    const std::wstring machine32 =
        entries.RunValue(TRunKey::Machine32, tagged(L"QlnMachine32"), L"\"C:\\QlnNowhere\\m32.exe\" /s");
    // Made in the order of their names: the registry lists a key's values
    // in either order, depending on the system.
    const std::wstring own = entries.RunValue(TRunKey::User, tagged(L"QlnRun A"), L"C:\\QlnNowhere\\u.exe");
    const std::wstring off = entries.RunValue(TRunKey::User, tagged(L"QlnRun B off"), L"C:\\QlnNowhere\\off.exe");
    TReg::WriteBinary(HKEY_CURRENT_USER, kApprovedRunKey, off, MakeApprovedValue(false));
    entries.RunValue(TRunKey::User, tagged(L"PowerQln"), L"C:\\QlnNowhere\\power.exe");  // "Power..." is built in
    const std::wstring byReply = entries.RunValue(TRunKey::User, tagged(L"QlnHiddenByReply"), L"C:\\QlnNowhere\\r.exe");
    const std::wstring service = tagged(L"Quillon Program Service ");
    ASSERT_TRUE(entries.Service(tagged(L"QlnProgramSvc"), service, SERVICE_AUTO_START, L"C:\\QlnNowhere\\svc.exe"));

    test::TRunningQuillon quillon;
    ASSERT_TRUE(quillon);
    const test::TRemoteList& list = quillon.List();
    // Shown at once, and gone once the service's reply has named it.
    ASSERT_TRUE(WaitFor([&] { return stub.RequestsTo("/api.init.php").size() == 1; }));
    ASSERT_TRUE(WaitFor([&] { return list.Find(own) >= 0 && list.Find(byReply) < 0; }));

    const std::vector<TRow> expected{
        {common, L"FILE"},    {user, L"FILE"}, {machine, L"HKLM"},
        {machine32, L"HKLM"}, {own, L"HKCU"},  {service, L"SERV"},
    };
    EXPECT_EQ(OwnRows(list), expected);

    // "All Programs" lists the switched-off entry too, in its place.
    test::PostClick(quillon.Controls().AllPrograms);
    ASSERT_TRUE(WaitFor([&] { return list.Find(off) >= 0; }));
    const std::vector<TRow> all{
        {common, L"FILE"}, {user, L"FILE"}, {machine, L"HKLM"}, {machine32, L"HKLM"},
        {own, L"HKCU"},    {off, L"HKCU"},  {service, L"SERV"},
    };
    EXPECT_EQ(OwnRows(list), all);
    EXPECT_EQ(quillon.Close(), 0u);
}

// How many rows show Name.
int RowsNamed(const test::TRemoteList& List, const std::wstring& Name) {
    int count = 0;
    for (const TRow& row : List.Rows()) count += row.first == Name ? 1 : 0;
    return count;
}

TEST(ProgramList, ProgramsWhereOnlyANativeProgramLooksAreNamedAndPicturedAsANativeProgramSeesThem) {
    // A 32-bit program is shown another System32 and another %ProgramFiles%
    // than the native ones that Run values and shortcuts mean.
    const std::wstring fixture = test::WindowsPathFromEnvironment(L"QUILLON_FIXTURE_APP64");
    ASSERT_FALSE(fixture.empty()) << "QUILLON_FIXTURE_APP64 names a 64-bit program with a version block and icons";
    const test::TEndpointStub stub;
    stub.Reply("{}");
    const auto tagged = &TProgramEntries::Tagged;
    TProgramEntries entries;
    const std::wstring system = entries.NativeSystemFile(tagged(L"qlnnative") + L".exe", fixture);
    const std::wstring programFiles = entries.NativeProgramFile(tagged(L"QlnNative"), L"tool.exe", fixture);
    entries.RunValue(TRunKey::Machine, tagged(L"QlnNativeRun"), L"\"" + system + L"\" /tray");
    entries.RunValue(TRunKey::User, tagged(L"QlnProgramFilesRun"), programFiles + L" --tray");
    const std::wstring systemLink = tagged(L"QlnNativeLink");
    entries.StartupShortcut(false, systemLink + L".lnk", system);
    const std::wstring programFilesLink = tagged(L"QlnProgramFilesLink");
    entries.StartupShortcut(true, programFilesLink + L".lnk", programFiles);

    test::TRunningQuillon quillon;
    ASSERT_TRUE(quillon);
    const test::TRemoteList& list = quillon.List();
    // The Run values show the program's product name, not their own names.
    ASSERT_TRUE(WaitFor([&] {
        return RowsNamed(list, L"Quillon Fixture") >= 2 && list.Find(systemLink) >= 0 &&
               list.Find(programFilesLink) >= 0;
    })) << "rows: "
        << list.Rows().size();
    EXPECT_EQ(list.Find(tagged(L"QlnNativeRun")), -1);
    EXPECT_EQ(list.Find(tagged(L"QlnProgramFilesRun")), -1);
    // Each shows the program's own icon, not a picture of the list's.
    for (int row = 0; row < list.Count(); ++row) {
        if (list.Text(row, 0) == L"Quillon Fixture") {
            EXPECT_GE(list.Image(row), kFixedImageCount) << row;
        }
    }
    EXPECT_GE(list.Image(list.Find(systemLink)), kFixedImageCount);
    EXPECT_GE(list.Image(list.Find(programFilesLink)), kFixedImageCount);
    EXPECT_EQ(quillon.Close(), 0u);
}

}  // namespace
}  // namespace quillon
