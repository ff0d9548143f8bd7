// Saving the inventory: the file's exact bytes, a write that never leaves a
// damaged file behind, and the frame's menu item with the real save dialog,
// driven from a second thread as a user would.
#include "view/export.h"

#include "app/main_window.h"
#include "i18n/translation.h"
#include "platform/errors.h"
#include "tests/platform/fixtures/fixture_files.h"
#include "tests/support/test_files.h"
#include "tests/support/window_test.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quillon {
namespace {

using test::ReadBytes;
using test::WriteBytes;
using ::testing::HasSubstr;

TAutorunInfo Entry(const wchar_t* From, const wchar_t* Caption, const wchar_t* Target, bool Enabled = true) {
    TAutorunInfo entry;
    entry.From = From;
    entry.Caption = Caption;
    entry.Target = Target;
    entry.Enabled = Enabled;
    entry.FileName = L"C:\\not\\written.exe";
    return entry;
}

int FilesIn(const std::wstring& Folder) {
    int count = 0;
    WIN32_FIND_DATAW found{};
    UniqueFindHandle find(::FindFirstFileW((Folder + L"\\*").c_str(), &found));
    if (!find) return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
    } while (::FindNextFileW(find.get(), &found));
    return count;
}

TEST(FormatAutorunList, EveryEntryOneLineFieldsAsTheyAre) {
    EXPECT_EQ(FormatAutorunList({}), "\xEF\xBB\xBF") << "only the byte-order mark";
    const TAutorunList list = {
        Entry(L"FILE", L"Tool", L"C:\\Startup\\Tool.lnk"),
        Entry(L"HKCU", L"a|b", L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\a|b", false),
        Entry(L"HKLM", L"", L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\"),
        Entry(L"SERV", L"\uD55C\uAD6D Service", L"RpcSs"),
    };
    EXPECT_EQ(FormatAutorunList(list),
              "\xEF\xBB\xBF"
              "FILE|Tool|C:\\Startup\\Tool.lnk\r\n"
              "HKCU|a|b|HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\a|b\r\n"
              "HKLM||HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\\r\n"
              "SERV|\xED\x95\x9C\xEA\xB5\xAD Service|RpcSs\r\n");
}

TEST(SaveAutorunList, ReplacesAFileWholeOrLeavesItAlone) {
    const test::TScratchFolder folder;
    const TAutorunList list = {Entry(L"SCHE", L"Backup", L"\\Backup")};
    const std::wstring file = folder.File(L"list.txt");
    WriteBytes(file, std::string(5000, 'x'));
    SaveAutorunList(file, list);
    EXPECT_EQ(ReadBytes(file), FormatAutorunList(list)) << "an existing file is replaced, not written over in part";

    const std::wstring readOnly = folder.File(L"read-only.txt");
    WriteBytes(readOnly, "kept");
    ASSERT_TRUE(::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    try {
        SaveAutorunList(readOnly, list);
        ADD_FAILURE() << "writing a read-only file raised nothing";
    } catch (const TAppError& error) {
        EXPECT_THAT(error.Message(), HasSubstr(readOnly));
        EXPECT_THAT(error.Message(), HasSubstr(SystemMessage(ERROR_ACCESS_DENIED)));
    }
    EXPECT_EQ(ReadBytes(readOnly), "kept");
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_THROW(SaveAutorunList(folder.File(L"no folder\\list.txt"), list), TAppError);
    EXPECT_EQ(FilesIn(folder.Path()), 2) << "a temporary file was left behind";
}

// The part of a user, played on the dialogs' own thread as each one comes
// up: the save dialog is given Name and confirmed, and every box that
// follows is answered with Yes, else OK, its text noted. Reading the boxes
// from another thread could deadlock with their creation under Wine.
class TUser {
public:
    explicit TUser(std::wstring Name) : FName(std::move(Name)) {
        Current() = this;
        FHook = ::SetWindowsHookExW(WH_CBT, &TUser::OnWindow, nullptr, ::GetCurrentThreadId());
    }
    ~TUser() {
        ::UnhookWindowsHookEx(FHook);
        Current() = nullptr;
    }
    TUser(const TUser&) = delete;
    TUser& operator=(const TUser&) = delete;

    const std::wstring& BoxText() const { return FBoxText; }
    bool SawDialog() const { return FSawDialog; }

private:
    static TUser*& Current() {
        static TUser* current = nullptr;
        return current;
    }

    static LRESULT CALLBACK OnWindow(int Code, WPARAM WParam, LPARAM LParam) {
        if (Code == HCBT_ACTIVATE && Current()) Current()->Answer(reinterpret_cast<HWND>(WParam));
        return ::CallNextHookEx(nullptr, Code, WParam, LParam);
    }

    void Answer(HWND Window) {
        wchar_t cls[16]{};
        ::GetClassNameW(Window, cls, 16);
        if (std::wstring(cls) != L"#32770" ||
            std::find(FAnswered.begin(), FAnswered.end(), Window) != FAnswered.end()) {
            return;
        }
        FAnswered.push_back(Window);
        wchar_t title[128]{};
        ::InternalGetWindowText(Window, title, 128);
        if (!FSawDialog && title == Translate(L"파일 저장")) {
            FSawDialog = true;
            // The Explorer-style dialog names its file in a combo box, the
            // older one in an edit control.
            for (const int id : {0x47c, 0x480}) {
                if (HWND name = ::GetDlgItem(Window, id)) ::SetWindowTextW(name, FName.c_str());
            }
            ::PostMessageW(Window, WM_COMMAND, IDOK, 0);
            return;
        }
        wchar_t text[1024]{};
        if (HWND message = ::GetDlgItem(Window, 0xFFFF)) ::InternalGetWindowText(message, text, 1024);
        FBoxText.append(title).append(L": ").append(text).append(L"\n");
        ::PostMessageW(Window, WM_COMMAND, ::GetDlgItem(Window, IDYES) ? IDYES : IDOK, 0);
    }

    std::wstring FName;
    HHOOK FHook = nullptr;
    bool FSawDialog = false;
    std::vector<HWND> FAnswered;
    std::wstring FBoxText;
};

class ExportFrameTest : public test::WindowTest {};

TEST_F(ExportFrameTest, TheMenuItemSavesTheWholeInventory) {
    const test::TScratchFolder folder;
    TFrmQuillon form;
    TFrmAutorun& frame = form.FrmAutorun();
    frame.LoadAutorun();
    ASSERT_FALSE(frame.AutorunList.empty());
    {
        const TUser user(folder.File(L"startup list"));
        frame.BtnSaveClick();
        EXPECT_TRUE(user.SawDialog());
        EXPECT_EQ(user.BoxText(), L"") << "no question, no error";
    }
    // ".txt" is added to a name without one, and every entry is written,
    // also those the list does not show.
    EXPECT_EQ(ReadBytes(folder.File(L"startup list.txt")), FormatAutorunList(frame.AutorunList));
    EXPECT_LT(frame.Rows().size(), frame.AutorunList.size());
}

TEST_F(ExportFrameTest, AFileThatCannotBeWrittenIsNamedInABoxAndTheProgramGoesOn) {
    const test::TScratchFolder folder;
    const std::wstring readOnly = folder.File(L"read-only.txt");
    WriteBytes(readOnly, "kept");
    ASSERT_TRUE(::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    TFrmQuillon form;
    TFrmAutorun& frame = form.FrmAutorun();
    frame.LoadAutorun();
    TUser user(readOnly);
    frame.BtnSaveClick();
    const std::wstring& boxes = user.BoxText();
    EXPECT_THAT(boxes, HasSubstr(readOnly));
    EXPECT_THAT(boxes, HasSubstr(SystemMessage(ERROR_ACCESS_DENIED)));
    EXPECT_EQ(ReadBytes(readOnly), "kept");
    EXPECT_TRUE(::IsWindow(form.Handle()));
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace quillon
