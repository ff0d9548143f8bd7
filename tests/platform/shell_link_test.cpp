// Shortcut files read without resolving them: what a link says about its
// icon and target, links that cannot be read, and COM left as it was found.

#include "platform/shell_link.h"

#include "tests/platform/fixtures/fixture_files.h"
#include "tests/support/com_thread.h"
#include "tests/support/shell_links.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <optional>
#include <string>

namespace quillon {
namespace {

using test::FixtureApp;
using test::OnNewThread;
using test::TScratchFolder;

TEST(IsShellLinkPath, GoesByTheEndingInAnyCase) {
    const std::pair<std::wstring, bool> cases[] = {
        {L"C:\\Start\\App.lnk", true},
        {L"C:\\Start\\App.LNK", true},
        {L"app.Lnk", true},
        {L".lnk", true},
        {L"C:\\app.lnk.exe", false},
        {L"C:\\app.lnkx", false},
        {L"C:\\lnk", false},
        {L"C:\\app.url", false},
        {L"", false},
    };
    for (const auto& [path, isLink] : cases) EXPECT_EQ(IsShellLinkPath(path), isLink) << ::testing::PrintToString(path);
}

class ReadShellLinkTest : public ::testing::Test {
protected:
    TScratchFolder FFolder;
};

TEST_F(ReadShellLinkTest, GivesTheTargetAndTheIconLocationAsWritten) {
    const std::wstring plain = FFolder.File(L"plain.lnk");
    const std::wstring withIcon = FFolder.File(L"icon.lnk");
    ASSERT_TRUE(test::MakeShellLink(plain, FixtureApp()));
    ASSERT_TRUE(test::MakeShellLink(withIcon, FixtureApp(), L"%ProgramFiles%\\Quillon Test\\app.exe", 3));

    const std::optional<TShellLink> link = ReadShellLink(plain);
    ASSERT_TRUE(link);
    EXPECT_EQ(link->Target, FixtureApp());
    EXPECT_EQ(link->IconPath, L"");
    EXPECT_EQ(link->IconNumber, 0);

    const std::optional<TShellLink> icon = ReadShellLink(withIcon);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->Target, FixtureApp());
    EXPECT_EQ(icon->IconPath, L"%ProgramFiles%\\Quillon Test\\app.exe") << "not expanded";
    EXPECT_EQ(icon->IconNumber, 3);
}

TEST_F(ReadShellLinkTest, KeepsTheEnvironmentReferencesOfARawTarget) {
    const std::wstring path = FFolder.File(L"raw.lnk");
    test::WriteBytes(path, test::ShellLinkBytesWithRawTarget("%ProgramFiles%\\Quillon Test\\app.exe"));
    const std::optional<TShellLink> link = ReadShellLink(path);
    ASSERT_TRUE(link);
    EXPECT_EQ(link->Target, L"%ProgramFiles%\\Quillon Test\\app.exe");
}

TEST_F(ReadShellLinkTest, ALinkThatCannotBeReadGivesNothing) {
    const std::wstring good = FFolder.File(L"good.lnk");
    ASSERT_TRUE(test::MakeShellLink(good, FixtureApp()));
    const std::string bytes = test::ReadBytes(good);
    ASSERT_GT(bytes.size(), 80u);

    const std::wstring text = FFolder.File(L"text.lnk");
    test::WriteBytes(text, "[InternetShortcut]\r\nURL=http://127.0.0.1/\r\n");
    const std::wstring empty = FFolder.File(L"empty.lnk");
    test::WriteBytes(empty, "");
    const std::wstring header = FFolder.File(L"header.lnk");
    test::WriteBytes(header, bytes.substr(0, 60));
    const std::wstring directory = FFolder.File(L"folder.lnk");
    ASSERT_TRUE(::CreateDirectoryW(directory.c_str(), nullptr));

    for (const std::wstring& path : {text, empty, header, directory, FFolder.File(L"missing.lnk")}) {
        EXPECT_FALSE(ReadShellLink(path)) << ::testing::PrintToString(path);
    }
    ::RemoveDirectoryW(directory.c_str());
}

// ---- COM on the calling thread ----------------------------------------------

class ShellLinkComTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(test::MakeShellLink(FLink, FixtureApp())); }

    TScratchFolder FFolder;
    const std::wstring FLink = FFolder.File(L"app.lnk");
};

TEST_F(ShellLinkComTest, AThreadWithoutComIsLeftWithout) {
    OnNewThread([this] {
        EXPECT_TRUE(ReadShellLink(FLink));
        test::ExpectComBalanced(0);
    });
}

TEST_F(ShellLinkComTest, TheCallersOwnInitialisationIsKept) {
    OnNewThread([this] {
        ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        EXPECT_TRUE(ReadShellLink(FLink));
        test::ExpectComBalanced(1);
    });
}

TEST_F(ShellLinkComTest, AThreadOfTheOtherApartmentKindReadsLinksToo) {
    OnNewThread([this] {
        ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_TRUE(ReadShellLink(FLink));
        // Still the caller's multithreaded apartment, held once.
        EXPECT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        ::CoUninitialize();
        ::CoUninitialize();
        EXPECT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK) << "left initialised";
        ::CoUninitialize();
    });
}

}  // namespace
}  // namespace quillon
