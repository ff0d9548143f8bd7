// Saving the list with the program as it ships, driven from outside the way
// a user does it: the menu key in the list, the menu's one item, a name in
// the save dialog. The file holds the whole inventory, byte for byte what
// the same inventory read by this process gives.

#include "autorun/collect.h"
#include "platform/folders.h"
#include "tests/program/program_entries.h"
#include "tests/platform/fixtures/fixture_files.h"
#include "tests/support/boxes.h"
#include "tests/support/endpoint_stub.h"
#include "tests/support/running_quillon.h"
#include "tests/support/test_files.h"
#include "view/export.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon {
namespace {

using namespace std::chrono_literals;
using test::TProgramEntries;
using test::TRunKey;
using test::WaitFor;

TEST(ProgramExport, TheMenuSavesTheWholeInventoryByteForByte) {
    const test::TEndpointStub stub;
    stub.Reply("{}");
    TProgramEntries entries;
    // Text the file must carry as it is: letters beyond ASCII, and the
    // field separator inside a name.
    entries.RunValue(TRunKey::User, TProgramEntries::Tagged(L"QlnExport\uD55C\uAD6D|Tool"), L"C:\\QlnNowhere\\e.exe");
    entries.RunValue(TRunKey::Machine32, TProgramEntries::Tagged(L"QlnExport32"), L"C:\\QlnNowhere\\e32.exe");
    const test::TScratchFolder folder;
    const std::wstring file = folder.File(L"startup list.txt");

    test::TRunningQuillon quillon;
    ASSERT_TRUE(quillon);
    ASSERT_TRUE(WaitFor([&] { return quillon.List().Find(TProgramEntries::Tagged(L"QlnExport32")) >= 0; }));
    // The list's menu, as the menu key opens it; its one item is chosen.
    ::PostMessageW(quillon.Controls().List, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(quillon.Controls().List),
                   MAKELPARAM(-1, -1));
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (menu = test::ShownWindowOfClass(quillon.Id(), L"#32768")) != nullptr; }));
    ::PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    ::PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
    HWND dialog = nullptr;
    ASSERT_TRUE(
        WaitFor([&] { return (dialog = test::ShownWindowOfClass(quillon.Id(), L"#32770", L"Quillon")) != nullptr; }));
    // The Explorer-style dialog names its file in a combo box, the older
    // one in an edit control.
    for (const int id : {0x47c, 0x480}) {
        if (HWND name = ::GetDlgItem(dialog, id))
            ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
    }
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !::IsWindow(dialog) && !test::ReadBytes(file).empty(); }));

    // The same inventory, gathered here the way the program gathers it.
    InitFolderVariables();
    TAutorunList inventory;
    Absorb(CollectAutoruns(inventory));
    EXPECT_EQ(test::ReadBytes(file), FormatAutorunList(inventory));
    const std::string line = "HKCU|QlnExport\xED\x95\x9C\xEA\xB5\xAD|Tool" + std::to_string(::GetCurrentProcessId());
    EXPECT_NE(test::ReadBytes(file).find(line + "|HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\" +
                                         line.substr(5) + "\r\n"),
              std::string::npos);
    EXPECT_EQ(test::WaitForBox(quillon.Id(), 500ms), nullptr) << "no question, no error";
    EXPECT_EQ(quillon.Close(), 0u);
}

}  // namespace
}  // namespace quillon
