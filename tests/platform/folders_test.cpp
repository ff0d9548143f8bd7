// Folder variables: the table built from a scripted folder query (so both the
// x64 and the other column can be checked on any machine), expansion over a
// fixed table, and the real special folders and process-wide table of Wine.

#include "platform/folders.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <map>
#include <string>

namespace quillon {

// Two entries are equal when both texts are; lets gmock compare whole tables.
bool operator==(const TFolderVariable& Left, const TFolderVariable& Right) {
    return Left.Variable == Right.Variable && Left.Folder == Right.Folder;
}
void PrintTo(const TFolderVariable& Entry, std::ostream* Out) {
    *Out << ::testing::PrintToString(Entry.Variable) << " -> " << ::testing::PrintToString(Entry.Folder);
}

namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

// Read during static initialisation, before any test could build the table.
const std::wstring kGExpandedBeforeInit = ExpandFolderVariable(L"%WinDir%\\notepad.exe");

// What a 32-bit process on 64-bit Windows is told: the plain program-files
// queries answer with the "(x86)" folders.
std::wstring QueryOf32BitProcessOnX64(int Csidl) {
    static const std::map<int, std::wstring> kFolders = {
        {CSIDL_COMMON_APPDATA, L"C:\\ProgramData"},
        {CSIDL_WINDOWS, L"C:\\Windows"},
        {CSIDL_COMMON_DOCUMENTS, L"C:\\Users\\Public\\Documents"},
        {CSIDL_APPDATA, L"C:\\Users\\Ann\\AppData\\Roaming"},
        {CSIDL_PROGRAM_FILES_COMMONX86, L"C:\\Program Files (x86)\\Common Files"},
        {CSIDL_PROGRAM_FILES_COMMON, L"C:\\Program Files (x86)\\Common Files"},
        {CSIDL_PROGRAM_FILESX86, L"C:\\Program Files (x86)"},
        {CSIDL_PROGRAM_FILES, L"C:\\Program Files (x86)"},
    };
    const auto found = kFolders.find(Csidl);
    return found == kFolders.end() ? std::wstring() : found->second;
}

// A 32-bit system has no "(x86)" folders at all.
std::wstring QueryOf32BitSystem(int Csidl) {
    if (Csidl == CSIDL_PROGRAM_FILES) return L"C:\\Program Files";
    if (Csidl == CSIDL_PROGRAM_FILES_COMMON) return L"C:\\Program Files\\Common Files";
    if (Csidl == CSIDL_PROGRAM_FILESX86 || Csidl == CSIDL_PROGRAM_FILES_COMMONX86) return {};
    return QueryOf32BitProcessOnX64(Csidl);
}

std::wstring FolderOf(const TFolderVariables& Table, std::wstring_view Variable) {
    for (const TFolderVariable& entry : Table.Entries()) {
        if (entry.Variable == Variable) return entry.Folder;
    }
    ADD_FAILURE() << "no variable " << ::testing::PrintToString(std::wstring(Variable));
    return {};
}

TEST(FolderVariablesBuild, TakesEachVariableFromItsFolderInOrder) {
    // The answer names the folder asked for, so the table shows which one.
    const auto numbered = [](int Csidl) { return std::to_wstring(Csidl); };
    const TFolderVariables x64 = BuildFolderVariables(numbered, true);
    const TFolderVariables other = BuildFolderVariables(numbered, false);
    EXPECT_THAT(x64.Entries(),
                ElementsAre(TFolderVariable{L"%ProgramData%", L"35"}, TFolderVariable{L"%SystemRoot%", L"36"},
                            TFolderVariable{L"%Public%", L"46"}, TFolderVariable{L"%AppData%", L"26"},
                            TFolderVariable{L"%WinDir%", L"36"}, TFolderVariable{L"%CommonProgramFiles(x86)%", L"44"},
                            TFolderVariable{L"%CommonProgramFiles%", L"43"},
                            TFolderVariable{L"%ProgramFiles(x86)%", L"42"}, TFolderVariable{L"%ProgramFiles%", L"38"}));
    EXPECT_THAT(other.Entries(),
                ElementsAre(TFolderVariable{L"%ProgramData%", L"35"}, TFolderVariable{L"%SystemRoot%", L"36"},
                            TFolderVariable{L"%Public%", L"46"}, TFolderVariable{L"%AppData%", L"26"},
                            TFolderVariable{L"%WinDir%", L"36"}, TFolderVariable{L"%CommonProgramFiles(x86)%", L"43"},
                            TFolderVariable{L"%CommonProgramFiles%", L"43"},
                            TFolderVariable{L"%ProgramFiles(x86)%", L"38"}, TFolderVariable{L"%ProgramFiles%", L"38"}));
}

TEST(FolderVariablesBuild, DropsFirstX86OnlyFromPlainProgramFilesOnX64) {
    struct TCase {
        std::wstring Answer;
        std::wstring WithoutX86;
    };
    const TCase cases[] = {
        {L"C:\\Program Files (x86)", L"C:\\Program Files"},
        {L"C:\\PROGRAM FILES (X86)\\Common Files", L"C:\\PROGRAM FILES\\Common Files"},
        {L"D:\\Apps (x86)\\Program Files (x86)", L"D:\\Apps\\Program Files (x86)"},
        {L"C:\\Program Files(x86)", L"C:\\Program Files(x86)"},  // no blank before it: not the suffix
        {L"C:\\Program Files", L"C:\\Program Files"},
    };
    for (const TCase& testCase : cases) {
        SCOPED_TRACE(::testing::PrintToString(testCase.Answer));
        const auto same = [&testCase](int) { return testCase.Answer; };
        const TFolderVariables x64 = BuildFolderVariables(same, true);
        EXPECT_EQ(FolderOf(x64, L"%ProgramFiles%"), testCase.WithoutX86);
        EXPECT_EQ(FolderOf(x64, L"%CommonProgramFiles%"), testCase.WithoutX86);
        for (const wchar_t* kept : {L"%ProgramFiles(x86)%", L"%CommonProgramFiles(x86)%", L"%WinDir%", L"%AppData%"}) {
            EXPECT_EQ(FolderOf(x64, kept), testCase.Answer) << ::testing::PrintToString(std::wstring(kept));
        }
        const TFolderVariables other = BuildFolderVariables(same, false);
        for (const TFolderVariable& entry : other.Entries()) {
            EXPECT_EQ(entry.Folder, testCase.Answer) << ::testing::PrintToString(entry.Variable);
        }
    }
}

TEST(FolderVariablesBuild, FailedQueryGivesEmptyFolder) {
    const auto noDocuments = [](int Csidl) {
        return Csidl == CSIDL_COMMON_DOCUMENTS ? std::wstring() : QueryOf32BitProcessOnX64(Csidl);
    };
    const TFolderVariables table = BuildFolderVariables(noDocuments, true);
    EXPECT_EQ(table.Entries().size(), 9u);
    EXPECT_EQ(FolderOf(table, L"%Public%"), L"");
    EXPECT_EQ(ExpandFolderVariable(table, L"%Public%\\x"), L"\\x");
    EXPECT_EQ(ExpandFolderVariable(table, L"%WinDir%\\x"), L"C:\\Windows\\x");
}

struct TExpandCase {
    const wchar_t* Path;
    const wchar_t* OnX64;
    const wchar_t* On32BitSystem;
};

TEST(ExpandFolderVariable, ExpandsOnlyALeadingKnownVariableFollowedByBackslash) {
    const TExpandCase cases[] = {
        {L"%ProgramFiles%\\Tool\\a.exe", L"C:\\Program Files\\Tool\\a.exe", L"C:\\Program Files\\Tool\\a.exe"},
        {L"%PROGRAMFILES%\\Tool\\a.exe", L"C:\\Program Files\\Tool\\a.exe", L"C:\\Program Files\\Tool\\a.exe"},
        {L"%programfiles%\\Tool\\a.exe", L"C:\\Program Files\\Tool\\a.exe", L"C:\\Program Files\\Tool\\a.exe"},
        {L"%ProgramFiles(x86)%\\Tool\\a.exe", L"C:\\Program Files (x86)\\Tool\\a.exe",
         L"C:\\Program Files\\Tool\\a.exe"},
        {L"%CommonProgramFiles%\\x", L"C:\\Program Files\\Common Files\\x", L"C:\\Program Files\\Common Files\\x"},
        {L"%CommonProgramFiles(X86)%\\x", L"C:\\Program Files (x86)\\Common Files\\x",
         L"C:\\Program Files\\Common Files\\x"},
        {L"%SystemRoot%\\x", L"C:\\Windows\\x", L"C:\\Windows\\x"},
        {L"%WinDir%\\x", L"C:\\Windows\\x", L"C:\\Windows\\x"},
        {L"%ProgramData%\\x", L"C:\\ProgramData\\x", L"C:\\ProgramData\\x"},
        {L"%Public%\\x", L"C:\\Users\\Public\\Documents\\x", L"C:\\Users\\Public\\Documents\\x"},
        {L"%AppData%\\%ProgramData%\\x", L"C:\\Users\\Ann\\AppData\\Roaming\\%ProgramData%\\x",
         L"C:\\Users\\Ann\\AppData\\Roaming\\%ProgramData%\\x"},
        {L"%WinDir%\\\\x", L"C:\\Windows\\\\x", L"C:\\Windows\\\\x"},
        {L"%WinDir%\\", L"C:\\Windows\\", L"C:\\Windows\\"},
        // Unchanged: no backslash right after the variable, not at the start,
        // not in the table.
        {L"%ProgramFiles%", L"%ProgramFiles%", L"%ProgramFiles%"},
        {L"%ProgramFiles%a.exe", L"%ProgramFiles%a.exe", L"%ProgramFiles%a.exe"},
        {L"%ProgramFiles%/a.exe", L"%ProgramFiles%/a.exe", L"%ProgramFiles%/a.exe"},
        {L" %WinDir%\\x", L" %WinDir%\\x", L" %WinDir%\\x"},
        {L"C:\\Data\\%AppData%\\x", L"C:\\Data\\%AppData%\\x", L"C:\\Data\\%AppData%\\x"},
        {L"%TEMP%\\x", L"%TEMP%\\x", L"%TEMP%\\x"},
        {L"%WinDir\\x", L"%WinDir\\x", L"%WinDir\\x"},
        {L"", L"", L""},
    };
    const TFolderVariables x64 = BuildFolderVariables(QueryOf32BitProcessOnX64, true);
    const TFolderVariables other = BuildFolderVariables(QueryOf32BitSystem, false);
    for (const TExpandCase& testCase : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(testCase.Path)));
        EXPECT_EQ(ExpandFolderVariable(x64, testCase.Path), testCase.OnX64);
        EXPECT_EQ(ExpandFolderVariable(other, testCase.Path), testCase.On32BitSystem);
    }
}

TEST(ExpandFolderVariable, ProcessTableIsEmptyBeforeInit) { EXPECT_EQ(kGExpandedBeforeInit, L"%WinDir%\\notepad.exe"); }

std::wstring WindowsDirectory() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH + 1);
    return std::wstring(buffer, length);
}

TEST(GetSpecialFolder, GivesTheFolderWithoutTrailingBackslash) {
    const std::wstring windows = GetSpecialFolder(CSIDL_WINDOWS);
    ASSERT_FALSE(windows.empty());
    EXPECT_NE(windows.back(), L'\\');
    EXPECT_EQ(::CompareStringOrdinal(windows.c_str(), -1, WindowsDirectory().c_str(), -1, TRUE), CSTR_EQUAL)
        << ::testing::PrintToString(windows);
}

// Points the user's videos folder somewhere else for one test, through the
// registry value the shell reads, and puts the old value back.
class MovedVideosFolder {
public:
    explicit MovedVideosFolder(const std::wstring& NewFolder) {
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, kUserShellFolders, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &FKey) !=
            ERROR_SUCCESS) {
            return;
        }
        wchar_t old[MAX_PATH + 1] = {};
        DWORD size = sizeof(old) - sizeof(wchar_t);
        FHadOld =
            ::RegQueryValueExW(FKey, kVideos, nullptr, &FOldType, reinterpret_cast<BYTE*>(old), &size) == ERROR_SUCCESS;
        FOld = old;
        FMoved = Set(REG_EXPAND_SZ, NewFolder);
    }
    ~MovedVideosFolder() {
        if (!FKey) return;
        if (FHadOld)
            Set(FOldType, FOld);
        else
            ::RegDeleteValueW(FKey, kVideos);
        ::RegCloseKey(FKey);
    }
    MovedVideosFolder(const MovedVideosFolder&) = delete;
    MovedVideosFolder& operator=(const MovedVideosFolder&) = delete;

    bool Moved() const { return FMoved; }

private:
    static constexpr wchar_t kUserShellFolders[] =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    static constexpr wchar_t kVideos[] = L"My Videos";

    bool Set(DWORD Type, const std::wstring& Value) {
        const DWORD size = static_cast<DWORD>((Value.size() + 1) * sizeof(wchar_t));
        return ::RegSetValueExW(FKey, kVideos, 0, Type, reinterpret_cast<const BYTE*>(Value.c_str()), size) ==
               ERROR_SUCCESS;
    }

    HKEY FKey = nullptr;
    bool FHadOld = false;
    DWORD FOldType = REG_EXPAND_SZ;
    std::wstring FOld;
    bool FMoved = false;
};

TEST(GetSpecialFolder, DriveRootLosesItsBackslash) {
    const std::wstring before = GetSpecialFolder(CSIDL_MYVIDEO);
    {
        const MovedVideosFolder toRoot(L"C:\\");
        ASSERT_TRUE(toRoot.Moved());
        EXPECT_EQ(GetSpecialFolder(CSIDL_MYVIDEO), L"C:");
    }
    EXPECT_EQ(GetSpecialFolder(CSIDL_MYVIDEO), before);
}

TEST(GetSpecialFolder, IsEmptyForFolderThatDoesNotExist) {
    // Wine writes the would-be path into the buffer even when it reports the
    // folder missing, so this also shows the result code is what counts.
    const std::wstring oemLinks = GetSpecialFolder(CSIDL_COMMON_APPDATA) + L"\\OEM Links";
    ASSERT_EQ(::GetFileAttributesW(oemLinks.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetSpecialFolder(CSIDL_COMMON_OEM_LINKS), L"");

    ASSERT_TRUE(::CreateDirectoryW(oemLinks.c_str(), nullptr));
    EXPECT_EQ(GetSpecialFolder(CSIDL_COMMON_OEM_LINKS), oemLinks);
    ::RemoveDirectoryW(oemLinks.c_str());
}

TEST(GetSpecialFolder, IsEmptyForFolderWithoutPath) { EXPECT_EQ(GetSpecialFolder(CSIDL_DRIVES), L""); }

class ProcessFolderVariables : public ::testing::Test {
protected:
    static void SetUpTestSuite() { InitFolderVariables(); }
};

TEST_F(ProcessFolderVariables, ExpandsWithTheRealFolders) {
    const std::wstring windows = GetSpecialFolder(CSIDL_WINDOWS);
    ASSERT_FALSE(windows.empty());
    EXPECT_EQ(ExpandFolderVariable(L"%SystemRoot%\\x"), windows + L"\\x");
    EXPECT_EQ(ExpandFolderVariable(L"%windir%\\x"), windows + L"\\x");
    EXPECT_EQ(ExpandFolderVariable(L"%Public%\\x"), GetSpecialFolder(CSIDL_COMMON_DOCUMENTS) + L"\\x");
    EXPECT_EQ(ExpandFolderVariable(L"%TEMP%\\x"), L"%TEMP%\\x");
}

TEST_F(ProcessFolderVariables, ProgramFilesIsTheNativeFolderOnX64) {
    SYSTEM_INFO info{};
    ::GetNativeSystemInfo(&info);
    if (info.wProcessorArchitecture != PROCESSOR_ARCHITECTURE_AMD64) GTEST_SKIP() << "not an x64 system";

    const std::wstring programFiles = ExpandFolderVariable(L"%ProgramFiles%\\x");
    EXPECT_THAT(programFiles, Not(HasSubstr(L"(x86)")));
    EXPECT_NE(programFiles, L"%ProgramFiles%\\x");
    EXPECT_EQ(ExpandFolderVariable(L"%ProgramFiles(x86)%\\x"), GetSpecialFolder(CSIDL_PROGRAM_FILESX86) + L"\\x");
    EXPECT_THAT(ExpandFolderVariable(L"%ProgramFiles(x86)%\\x"), HasSubstr(L"(x86)"));
}

TEST_F(ProcessFolderVariables, SecondInitKeepsTheTable) {
    const std::wstring before = ExpandFolderVariable(L"%AppData%\\x");
    InitFolderVariables();
    EXPECT_EQ(ExpandFolderVariable(L"%AppData%\\x"), before);
    EXPECT_EQ(before, GetSpecialFolder(CSIDL_APPDATA) + L"\\x");
}

}  // namespace
}  // namespace quillon
