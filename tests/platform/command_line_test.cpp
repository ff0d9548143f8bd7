// Command-line resolution over a fixed folder table, so the results do not
// depend on Wine's folders; the process-wide table and the shell open
// against Wine itself; and the text helpers they are built on.

#include "platform/command_line.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <fstream>
#include <string>

namespace quillon {
namespace {

// The folders of a typical 64-bit system.
TFolderVariables TypicalX64Folders() {
    TFolderVariables table;
    table.Add(L"%ProgramData%", L"C:\\ProgramData");
    table.Add(L"%SystemRoot%", L"C:\\Windows");
    table.Add(L"%Public%", L"C:\\Users\\Public\\Documents");
    table.Add(L"%AppData%", L"C:\\Users\\Ann\\AppData\\Roaming");
    table.Add(L"%WinDir%", L"C:\\Windows");
    table.Add(L"%CommonProgramFiles(x86)%", L"C:\\Program Files (x86)\\Common Files");
    table.Add(L"%CommonProgramFiles%", L"C:\\Program Files\\Common Files");
    table.Add(L"%ProgramFiles(x86)%", L"C:\\Program Files (x86)");
    table.Add(L"%ProgramFiles%", L"C:\\Program Files");
    return table;
}

struct TTextCase {
    const wchar_t* Input;
    const wchar_t* Expected;
};

TEST(TextHelpers, TrimRemovesBlanksAndControlCharactersAtBothEnds) {
    const TTextCase cases[] = {
        {L"", L""},
        {L" \t\r\n\x01\x1f ", L""},
        {L"  a b  ", L"a b"},
        {L"\x1f"
         L"a\x01 b\t\n",
         L"a\x01 b"},
        {L"\x21x\x21", L"\x21x\x21"},          // '!' is the first character kept
        {L"\x00a0x\x3000", L"\x00a0x\x3000"},  // Unicode blanks are not trimmed
    };
    for (const TTextCase& testCase : cases) {
        EXPECT_EQ(Trim(testCase.Input), testCase.Expected) << ::testing::PrintToString(std::wstring(testCase.Input));
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
    const TTextCase cases[] = {
        {L"C:\\Windows\\system32\\rundll32.exe", L"rundll32.exe"},
        {L"C:rundll32.exe", L"rundll32.exe"},
        {L"a:b\\c:d", L"d"},
        {L"tool.exe", L"tool.exe"},
        {L"C:\\Dir\\", L""},
        {L"", L""},
        {L"a/b", L"a/b"},
    };
    for (const TTextCase& testCase : cases) {
        EXPECT_EQ(FileNamePart(testCase.Input), testCase.Expected)
            << ::testing::PrintToString(std::wstring(testCase.Input));
    }
}

struct TSplitCase {
    const wchar_t* CommandLine;
    const wchar_t* Program;
    const wchar_t* Arguments;
};

TEST(SplitCommandLine, DividesProgramFromArguments) {
    const TSplitCase cases[] = {
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
    for (const TSplitCase& testCase : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(testCase.CommandLine)));
        std::wstring program = L"stale";
        std::wstring arguments = L"stale";
        SplitCommandLine(testCase.CommandLine, program, arguments);
        EXPECT_EQ(program, testCase.Program);
        EXPECT_EQ(arguments, testCase.Arguments);
    }
}

TEST(ResolveCommandLine, GivesTheFileThatRuns) {
    const TTextCase cases[] = {
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
        {L"\\?"
         L"?/C:\\a.exe",
         L"\\?"
         L"?/C:\\a.exe"},  // split: "??/" is a trigraph
    };
    const TFolderVariables table = TypicalX64Folders();
    for (const TTextCase& testCase : cases) {
        EXPECT_EQ(ResolveCommandLine(table, testCase.Input), testCase.Expected)
            << ::testing::PrintToString(std::wstring(testCase.Input));
    }
}

TEST(ResolveCommandLine, GivesTheLibraryARundll32HostLoads) {
    const TTextCase cases[] = {
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
    const TFolderVariables table = TypicalX64Folders();
    for (const TTextCase& testCase : cases) {
        EXPECT_EQ(ResolveCommandLine(table, testCase.Input), testCase.Expected)
            << ::testing::PrintToString(std::wstring(testCase.Input));
    }
}

TEST(ResolveCommandLine, ProcessWideOverloadUsesTheRealFolders) {
    InitFolderVariables();
    const std::wstring windows = GetSpecialFolder(CSIDL_WINDOWS);
    ASSERT_FALSE(windows.empty());
    EXPECT_EQ(ResolveCommandLine(L"%WinDir%\\\\notepad.exe /p x.txt"), windows + L"\\notepad.exe");
    EXPECT_EQ(ResolveCommandLine(L"rundll32.exe %SystemRoot%\\system32\\shell32.dll,Control_RunDLL"),
              windows + L"\\system32\\shell32.dll");
}

std::wstring TempFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, buffer);
    return std::wstring(buffer, length);
}

// The batch file leaves a marker behind, which shows the shell ran it.
TEST(ShellOpen, OpensADocumentWithItsProgram) {
    const std::wstring folder = TempFolder() + L"quillon_shell_open_" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring script = folder + L"\\make marker.bat";
    const std::wstring marker = folder + L"\\marker.txt";
    // Process ids come round again, and an earlier run may have left it.
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
    {
        std::ofstream out(script.c_str());
        out << "@echo opened> \"" << std::string(marker.begin(), marker.end()) << "\"\r\n";
    }

    ShellOpen(script);
    bool appeared = false;
    for (int waited = 0; waited < 200 && !appeared; ++waited) {
        appeared = ::GetFileAttributesW(marker.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (!appeared) ::Sleep(50);
    }
    EXPECT_TRUE(appeared);

    ::Sleep(100);  // let the batch close its file before it is removed
    ::DeleteFileW(marker.c_str());
    ::DeleteFileW(script.c_str());
    ::RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace quillon
