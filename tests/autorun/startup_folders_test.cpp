// The start-up folder source with real files in the Wine prefix's folders.
#include "autorun/approved_state.h"
#include "autorun/startup_folders.h"
#include "platform/errors.h"
#include "platform/folders.h"
#include "tests/support/test_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <string>

namespace quillon {
namespace {

using ::testing::ElementsAre;

void WriteFile(const std::wstring& Path, DWORD Attributes = FILE_ATTRIBUTE_NORMAL) {
    HANDLE file = ::CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, Attributes, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot create " << std::string(Path.begin(), Path.end());
    ::CloseHandle(file);
}

class StartupFoldersTest : public ::testing::Test, protected test::TStartupFolders {
protected:
    void SetUp() override { ASSERT_TRUE(Made()); }

    void TearDown() override {
        for (const std::wstring& path : Created) {
            ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (!::DeleteFileW(path.c_str())) ::RemoveDirectoryW(path.c_str());
        }
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            for (const std::wstring& name : ApprovedNames) TReg::DeleteValue(root, kApprovedStartupFolderKey, name);
        }
    }

    // A file of this test in Folder; its name carries the process id.
    std::wstring Add(const std::wstring& Folder, const std::wstring& Name, DWORD Attributes = FILE_ATTRIBUTE_NORMAL) {
        const std::wstring path = Folder + L"\\" + Tag + Name;
        WriteFile(path, Attributes);
        Created.insert(Created.begin(), path);
        return Tag + Name;
    }

    void SetOff(HKEY Root, const std::wstring& FileName) {
        TReg::WriteBinary(Root, kApprovedStartupFolderKey, FileName, MakeApprovedValue(false));
        ApprovedNames.push_back(FileName);
    }

    TAutorunList Mine(const TAutorunList& All) const {
        TAutorunList mine;
        std::copy_if(All.begin(), All.end(), std::back_inserter(mine),
                     [this](const TAutorunInfo& e) { return e.Caption.rfind(Tag, 0) == 0; });
        return mine;
    }

    const std::wstring Tag = L"q" + std::to_wstring(::GetCurrentProcessId()) + L"-";
    std::vector<std::wstring> Created, ApprovedNames;
};

TEST_F(StartupFoldersTest, ListsShortcutsAndProgramsOfBothFoldersCommonFirst) {
    const std::wstring userTool = Add(User, L"Tool.lnk");
    Add(User, L"a.b.lnk");
    Add(User, L"LOUD.EXE", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    Add(User, L"desktop.ini", FILE_ATTRIBUTE_HIDDEN);
    Add(User, L"notes.txt");
    Add(User, L"noextension");
    const std::wstring sub = User + L"\\" + Tag + L"sub.lnk";  // a folder, even if its name looks like a file
    ::CreateDirectoryW(sub.c_str(), nullptr);
    Created.push_back(sub);
    // Tagged like the others, so it would show among this test's entries.
    WriteFile(sub + L"\\" + Tag + L"inner.lnk");
    Created.insert(Created.begin(), sub + L"\\" + Tag + L"inner.lnk");
    const std::wstring commonTool = Add(Common, L"Tool.lnk");

    // The same file name is switched off for the machine only: the common
    // folder's item reads that, the user's item does not.
    SetOff(HKEY_LOCAL_MACHINE, commonTool);

    TAutorunList all;
    CollectStartupFolders(all);
    const TAutorunList mine = Mine(all);
    std::vector<std::wstring> captions;
    for (const TAutorunInfo& e : mine) captions.push_back(e.Caption);
    ASSERT_EQ(mine.size(), 4u) << "common Tool, user Tool, a.b, LOUD";
    EXPECT_EQ(mine[0].Target, Common + L"\\" + commonTool);
    EXPECT_FALSE(mine[0].Enabled);
    EXPECT_THAT(std::vector<std::wstring>(captions.begin() + 1, captions.end()),
                ::testing::UnorderedElementsAre(Tag + L"Tool", Tag + L"a.b", Tag + L"LOUD"));

    const TAutorunInfo& user =
        *std::find_if(mine.begin() + 1, mine.end(), [&](const TAutorunInfo& e) { return e.Caption == Tag + L"Tool"; });
    EXPECT_EQ(user.FileName, User + L"\\" + userTool);
    EXPECT_EQ(user.Target, user.FileName);
    EXPECT_EQ(user.From, L"FILE");
    EXPECT_EQ(user.RawData, L"");
    EXPECT_TRUE(user.Enabled);

    SetOff(HKEY_CURRENT_USER, userTool);
    all.clear();
    CollectStartupFolder(User, all);
    const TAutorunList again = Mine(all);
    EXPECT_FALSE(std::find_if(again.begin(), again.end(), [&](const TAutorunInfo& e) {
                     return e.Caption == Tag + L"Tool";
                 })->Enabled);
}

TEST_F(StartupFoldersTest, AFolderThatVanishedRaisesAndKeepsWhatWasGathered) {
    TAutorunList list(2);
    try {
        CollectStartupFolder(L"C:\\QuillonNoSuchFolder\\Startup", list);
        FAIL() << "no error raised";
    } catch (const TAppError& error) {
        EXPECT_EQ(error.Message(), L"The specified path was not found");
    }
    EXPECT_EQ(list.size(), 2u);

    CollectStartupFolder(L"", list);  // a folder the shell did not give
    EXPECT_EQ(list.size(), 2u);
}

// A plain file where the folder should be cannot be listed today or at any
// later refresh: it adds nothing, and the other sources still come.
TEST_F(StartupFoldersTest, APlainFileInPlaceOfTheFolderAddsNothing) {
    const std::wstring file = User + L"\\" + Add(User, L"not-a-folder.lnk");
    TAutorunList list(2);
    EXPECT_NO_THROW(CollectStartupFolder(file, list));
    EXPECT_EQ(list.size(), 2u);
}

TEST(StartupFileName, KnowsTheSixTypesInAnyCase) {
    struct Case {
        const wchar_t* Name;
        bool Listed;
    };
    const Case cases[] = {{L"a.url", true}, {L"a.LNK", true},   {L"A.Exe", true},        {L"a.bat", true},
                          {L"a.CMD", true}, {L"a.com", true},   {L"desktop.ini", false}, {L"a.exe.txt", false},
                          {L"exe", false},  {L"a.lnk.", false}, {L".lnk", true}};
    for (const Case& c : cases)
        EXPECT_EQ(IsStartupFileName(c.Name), c.Listed) << std::string(c.Name, c.Name + wcslen(c.Name));
}

}  // namespace
}  // namespace quillon
