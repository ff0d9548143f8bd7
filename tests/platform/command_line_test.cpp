// Command-line resolution over a fixed folder table, so the results do not
// depend on Wine's folders; the process-wide table and the shell open
// against Wine itself; and the text helpers they are built on.

#include "platform/command_line.h"
#include "platform/text.h"
#include "platform/web_addresses.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <string>

namespace quillon {
namespace {

// The folders of a typical 64-bit system.
TFolderVariables TypicalX64Folders() {
    TFolderVariables Table;
    Table.Add(L"%ProgramData%", L"C:\\ProgramData");
    Table.Add(L"%SystemRoot%", L"C:\\Windows");
    Table.Add(L"%Public%", L"C:\\Users\\Public\\Documents");
    Table.Add(L"%AppData%", L"C:\\Users\\Ann\\AppData\\Roaming");
    Table.Add(L"%WinDir%", L"C:\\Windows");
    Table.Add(L"%CommonProgramFiles(x86)%", L"C:\\Program Files (x86)\\Common Files");
    Table.Add(L"%CommonProgramFiles%", L"C:\\Program Files\\Common Files");
    Table.Add(L"%ProgramFiles(x86)%", L"C:\\Program Files (x86)");
    Table.Add(L"%ProgramFiles%", L"C:\\Program Files");
    return Table;
}

struct TTextCase {
    const wchar_t* Input;
    const wchar_t* Expected;
};

TEST(TextHelpers, TrimRemovesBlanksAndControlCharactersAtBothEnds) {
    const TTextCase Cases[] = {
        {L"", L""},
        {L" \t\r\n\x01\x1f ", L""},
        {L"  a b  ", L"a b"},
        {L"\x1f" L"a\x01 b\t\n", L"a\x01 b"},
        {L"\x21x\x21", L"\x21x\x21"},        // '!' is the first character kept
        {L"\x00a0x\x3000", L"\x00a0x\x3000"},  // Unicode blanks are not trimmed
    };
    for (const TTextCase& Case : Cases) {
        EXPECT_EQ(Trim(Case.Input), Case.Expected) << ::testing::PrintToString(std::wstring(Case.Input));
    }
    EXPECT_EQ(Trim(std::wstring(L"\0x\0", 3)), L"x");
}

TEST(TextHelpers, CaseChangesOnlyAsciiLetters) {
    EXPECT_EQ(AsciiUpper(L"aZz09-\x00e4\x0131\x00df"), L"AZZ09-\x00e4\x0131\x00df");
    EXPECT_EQ(AsciiLower(L"AzZ09-\x00c4\x0130"), L"azz09-\x00c4\x0130");
    EXPECT_EQ(AsciiUpper(L"@[`{"), L"@[`{");  // neighbours of the letter ranges
    EXPECT_EQ(AsciiLower(L"@[`{"), L"@[`{");

    EXPECT_TRUE(EqualsIgnoringAsciiCase(L"RunDll32.EXE", L"rundll32.exe"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(L"rundll32.exe", L"rundll32.ex"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(L"\x00c4", L"\x00e4"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(L"@", L"`"));

    EXPECT_TRUE(StartsWithIgnoringAsciiCase(L"%WINDIR%\\x", L"%windir%"));
    EXPECT_TRUE(StartsWithIgnoringAsciiCase(L"abc", L""));
    EXPECT_FALSE(StartsWithIgnoringAsciiCase(L"%win", L"%windir%"));
    EXPECT_FALSE(StartsWithIgnoringAsciiCase(L"x%windir%", L"%windir%"));

    EXPECT_EQ(FindIgnoringAsciiCase(L"C:\\Apps (X86)\\b (x86)", L" (x86)"), 7u);
    EXPECT_EQ(FindIgnoringAsciiCase(L"C:\\Program Files", L" (x86)"), std::wstring::npos);
    EXPECT_TRUE(ContainsIgnoringAsciiCase(L"Software\\WOW6432NODE\\Run", L"Wow6432Node"));
    EXPECT_FALSE(ContainsIgnoringAsciiCase(L"Software\\Run", L"Wow6432Node"));
}

TEST(TextHelpers, FileNamePartFollowsLastBackslashOrColon) {
    const TTextCase Cases[] = {
        {L"C:\\Windows\\system32\\rundll32.exe", L"rundll32.exe"},
        {L"C:rundll32.exe", L"rundll32.exe"},
        {L"a:b\\c:d", L"d"},
        {L"tool.exe", L"tool.exe"},
        {L"C:\\Dir\\", L""},
        {L"", L""},
        {L"a/b", L"a/b"},
    };
    for (const TTextCase& Case : Cases) {
        EXPECT_EQ(FileNamePart(Case.Input), Case.Expected) << ::testing::PrintToString(std::wstring(Case.Input));
    }
}

struct TSplitCase {
    const wchar_t* CommandLine;
    const wchar_t* Program;
    const wchar_t* Arguments;
};

TEST(SplitCommandLine, DividesProgramFromArguments) {
    const TSplitCase Cases[] = {
        {L"", L"", L""},
        {L" \t\r\n ", L"", L""},
        // Quoted program: trimmed inside the quotes; an unclosed quote keeps
        // the rest as written.
        {L"\"C:\\Program Files\\Vendor\\app.exe\" -startup", L"C:\\Program Files\\Vendor\\app.exe", L"-startup"},
        {L"  \" C:\\a b\\x.exe \"   -y  z  ", L"C:\\a b\\x.exe", L"-y  z"},
        {L"\"C:\\x.exe\"", L"C:\\x.exe", L""},
        {L"\"C:\\Tools\\my app.exe", L"C:\\Tools\\my app.exe", L""},
        {L"\" C:\\Tools\\my app.exe  ", L" C:\\Tools\\my app.exe", L""},
        {L"\"\" x", L"", L"x"},
        // The earliest known extension anywhere, in any case.
        {L"C:\\Program Files\\Vendor\\app.exe /min", L"C:\\Program Files\\Vendor\\app.exe", L"/min"},
        {L"D:\\Setup\\pkg.msi /quiet", L"D:\\Setup\\pkg.msi", L"/quiet"},
        {L"C:\\x.BAT go", L"C:\\x.BAT", L"go"},
        {L"C:\\y.cMd", L"C:\\y.cMd", L""},
        {L"C:\\z.Com now", L"C:\\z.Com", L"now"},
        {L"C:\\Apps\\My.Executor\\run.exe", L"C:\\Apps\\My.Exe", L"cutor\\run.exe"},
        {L"C:\\a.bat\\b.exe -x", L"C:\\a.bat", L"\\b.exe -x"},
        {L"C:\\tool.exes -a", L"C:\\tool.exe", L"s -a"},
        {L"C:\\tool.exe-x", L"C:\\tool.exe", L"-x"},
        // Otherwise the first space, then the whole text.
        {L"C:\\Program Files\\Tool\\tool -x", L"C:\\Program", L"Files\\Tool\\tool -x"},
        {L"cmd /c start x", L"cmd", L"/c start x"},
        {L"cmd\t/c", L"cmd\t/c", L""},
        {L"notepad", L"notepad", L""},
    };
    for (const TSplitCase& Case : Cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(Case.CommandLine)));
        std::wstring Program = L"stale";
        std::wstring Arguments = L"stale";
        SplitCommandLine(Case.CommandLine, Program, Arguments);
        EXPECT_EQ(Program, Case.Program);
        EXPECT_EQ(Arguments, Case.Arguments);
    }
}

TEST(ResolveCommandLine, GivesTheFileThatRuns) {
    const TTextCase Cases[] = {
        {L"\"C:\\Program Files\\Vendor\\app.exe\" -startup", L"C:\\Program Files\\Vendor\\app.exe"},
        {L"C:\\Program Files\\Vendor\\app.exe /min", L"C:\\Program Files\\Vendor\\app.exe"},
        {L"%ProgramFiles%\\Tool\\tool.exe --tray", L"C:\\Program Files\\Tool\\tool.exe"},
        {L"\\??\\C:\\Windows\\tray.exe", L"C:\\Windows\\tray.exe"},
        {L"cmd /c start x", L"cmd"},
        {L"", L""},
        {L" \t\x01\r\n", L""},
        {L"\"C:\\Tools\\my app.exe", L"C:\\Tools\\my app.exe"},
        {L"C:\\Program Files\\Tool\\tool -x", L"C:\\Program"},
        {L"C:\\Apps\\My.Executor\\run.exe", L"C:\\Apps\\My.Exe"},
        {L"D:\\Setup\\pkg.msi /quiet", L"D:\\Setup\\pkg.msi"},
        {L"C:\\x.BAT", L"C:\\x.BAT"},
        {L"C:\\y.cMd /k", L"C:\\y.cMd"},
        // Doubled backslashes collapse left to right without overlap.
        {L"\\\\server\\share\\app.exe", L"\\server\\share\\app.exe"},
        {L"C:\\Dir\\\\app.exe", L"C:\\Dir\\app.exe"},
        {L"C:\\Dir\\\\\\app.exe", L"C:\\Dir\\\\app.exe"},
        {L"C:\\Dir\\\\\\\\app.exe", L"C:\\Dir\\\\app.exe"},
        // A leading folder variable, names matched ignoring case; the
        // backslash must follow at once.
        {L"%windir%\\notepad.exe", L"C:\\Windows\\notepad.exe"},
        {L"\"%ProgramFiles(x86)%\\Tool\\a.exe\" /s", L"C:\\Program Files (x86)\\Tool\\a.exe"},
        {L"%ProgramFiles%Tool\\a.exe", L"%ProgramFiles%Tool\\a.exe"},
        {L"%WinDir%\\\\x.exe", L"C:\\Windows\\x.exe"},
        {L"C:\\%WinDir%\\x.exe", L"C:\\%WinDir%\\x.exe"},
        // The NT prefix only at the very start and before quotes.
        {L"\"\\??\\C:\\a.exe\"", L"\\??\\C:\\a.exe"},
        {L" \\??\\C:\\a.exe", L"\\??\\C:\\a.exe"},
        {L"\\??\\\"C:\\Program Files\\a.exe\" -x", L"C:\\Program Files\\a.exe"},
        {L"\\??\\%SystemRoot%\\system32\\svc.exe", L"C:\\Windows\\system32\\svc.exe"},
        {L"\\?" L"?/C:\\a.exe", L"\\?" L"?/C:\\a.exe"},  // split: "??/" is a trigraph
    };
    const TFolderVariables Table = TypicalX64Folders();
    for (const TTextCase& Case : Cases) {
        EXPECT_EQ(ResolveCommandLine(Table, Case.Input), Case.Expected)
            << ::testing::PrintToString(std::wstring(Case.Input));
    }
}

TEST(ResolveCommandLine, GivesTheLibraryARundll32HostLoads) {
    const TTextCase Cases[] = {
        {L"C:\\Windows\\system32\\rundll32.exe C:\\Windows\\system32\\shell32.dll,Control_RunDLL",
         L"C:\\Windows\\system32\\shell32.dll"},
        {L"rundll32.exe \"C:\\Program Files\\Tool\\hook.dll\",Start 1", L"C:\\Program Files\\Tool\\hook.dll"},
        {L"C:\\Windows\\System32\\RunDll32.EXE shell32.dll,Options_RunDLL 0", L"shell32.dll"},
        {L"\"C:\\Windows\\SysWOW64\\RUNDLL32.exe\" \"C:\\a b\\x.dll\",Go", L"C:\\a b\\x.dll"},
        {L"rundll32.exe \"C:\\a,b.dll\",Go", L"C:\\a"},  // the first comma ends it, quoted or not
        {L"rundll32.exe hook.dll Start", L"hook.dll Start"},
        {L"rundll32.exe %AppData%\\Tool\\hook.dll,Run", L"C:\\Users\\Ann\\AppData\\Roaming\\Tool\\hook.dll"},
        {L"rundll32.exe \"%WinDir%\\\\x.dll\"", L"C:\\Windows\\x.dll"},
        // With nothing to load, the host itself is the file.
        {L"rundll32.exe", L"rundll32.exe"},
        {L"C:\\Windows\\system32\\RunDll32.exe   ", L"C:\\Windows\\system32\\RunDll32.exe"},
        // An unclosed quote or an empty library gives nothing.
        {L"rundll32.exe \"C:\\x.dll,Entry", L""},
        {L"rundll32.exe ,Entry", L""},
        // Only the host named exactly so.
        {L"C:\\Tools\\myrundll32.exe hook.dll,Run", L"C:\\Tools\\myrundll32.exe"},
    };
    const TFolderVariables Table = TypicalX64Folders();
    for (const TTextCase& Case : Cases) {
        EXPECT_EQ(ResolveCommandLine(Table, Case.Input), Case.Expected)
            << ::testing::PrintToString(std::wstring(Case.Input));
    }
}

TEST(ResolveCommandLine, ProcessWideOverloadUsesTheRealFolders) {
    InitFolderVariables();
    const std::wstring Windows = GetSpecialFolder(CSIDL_WINDOWS);
    ASSERT_FALSE(Windows.empty());
    EXPECT_EQ(ResolveCommandLine(L"%WinDir%\\\\notepad.exe /p x.txt"), Windows + L"\\notepad.exe");
    EXPECT_EQ(ResolveCommandLine(L"rundll32.exe %SystemRoot%\\system32\\shell32.dll,Control_RunDLL"),
              Windows + L"\\system32\\shell32.dll");
}

TEST(EntryPageUrl, NamesSourceAndEntryInLowerCase) {
    struct TCase {
        const wchar_t* From;
        const wchar_t* Target;
        const wchar_t* Page;
    };
    const TCase Cases[] = {
        {L"HKCU", L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater", L"hkcu/updater"},
        {L"HKLM", L"HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run\\My Tool",
         L"hklm/my tool"},
        {L"FILE", L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\Tools.lnk", L"file/tools.lnk"},
        {L"SERV", L"WSearch", L"serv/wsearch"},
        {L"SCHE", L"\\Nightly Backup", L"sche/nightly backup"},
        {L"HKCU", L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\", L"hkcu/"},
        {L"SERV", L"Dienst\x00c4", L"serv/dienst\x00c4"},
    };
    for (const TCase& Case : Cases) {
        EXPECT_EQ(EntryPageUrl(Case.From, Case.Target), std::wstring(kEntryPageBaseUrl) + Case.Page)
            << ::testing::PrintToString(std::wstring(Case.Target));
    }
    EXPECT_EQ(EntryPageUrl(L"HKCU", L"HKCU\\Run\\Updater"), L"https://quillon.app/entry/hkcu/updater");
}

std::wstring TempFolder() {
    wchar_t Buffer[MAX_PATH + 1] = {};
    const DWORD Length = ::GetTempPathW(MAX_PATH + 1, Buffer);
    return std::wstring(Buffer, Length);
}

// The batch file leaves a marker behind, which shows the shell ran it.
TEST(ShellOpen, OpensADocumentWithItsProgram) {
    const std::wstring Folder = TempFolder() + L"quillon_shell_open_" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring Script = Folder + L"\\make marker.bat";
    const std::wstring Marker = Folder + L"\\marker.txt";
    ASSERT_TRUE(::CreateDirectoryW(Folder.c_str(), nullptr));
    {
        std::ofstream Out(Script.c_str());
        Out << "@echo opened> \"" << std::string(Marker.begin(), Marker.end()) << "\"\r\n";
    }

    ShellOpen(Script);
    bool Appeared = false;
    for (int Waited = 0; Waited < 200 && !Appeared; ++Waited) {
        Appeared = ::GetFileAttributesW(Marker.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (!Appeared) ::Sleep(50);
    }
    EXPECT_TRUE(Appeared);

    ::Sleep(100);  // let the batch close its file before it is removed
    ::DeleteFileW(Marker.c_str());
    ::DeleteFileW(Script.c_str());
    ::RemoveDirectoryW(Folder.c_str());
}

}  // namespace
}  // namespace quillon
