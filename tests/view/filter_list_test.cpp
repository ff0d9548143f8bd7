// Filter lists: the built-in resources as the program loads them, merging
// the service reply, and matching in both modes against Wine's real special
// folders.

#include "view/filter_list.h"

#include "platform/folders.h"
#include "platform/text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace quillon {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::Not;

// Entries expand folder variables when they enter a list, so the table must
// exist first, as it does in the program.
TFilterList Loaded(const wchar_t* Name) {
    InitFolderVariables();
    TFilterList list;
    LoadFilterList(list, Name);
    return list;
}

TFilterList Of(std::vector<std::wstring> Lines) {
    InitFolderVariables();
    TFilterList list;
    list.Assign(std::move(Lines));
    return list;
}

const std::wstring& ProgramFiles() {
    static const std::wstring kFolder = GetSpecialFolder(CSIDL_PROGRAM_FILES);
    return kFolder;
}

struct TResourceCase {
    const wchar_t* Name;
    std::size_t Lines;
    std::ptrdiff_t Masks;
};

TEST(FilterListResources, LoadSortedWithoutDuplicatesOrLineBreaks) {
    const TResourceCase cases[] = {
        {L"file_white", 255, 188},
        {L"name_white", 75, 0},
        {L"name_black", 37, 0},
    };
    for (const TResourceCase& testCase : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(testCase.Name)));
        const std::vector<std::wstring> lines = Loaded(testCase.Name).Lines();
        EXPECT_EQ(lines.size(), testCase.Lines);
        EXPECT_EQ(std::ranges::count_if(lines, [](const std::wstring& L) { return L.ends_with(L'*'); }),
                  testCase.Masks);
        // Strictly ascending ignoring case: sorted, and every line once.
        for (std::size_t i = 1; i < lines.size(); ++i) {
            EXPECT_EQ(::CompareStringOrdinal(lines[i - 1].c_str(), -1, lines[i].c_str(), -1, TRUE), CSTR_LESS_THAN)
                << testing::PrintToString(lines[i - 1]) << " before " << testing::PrintToString(lines[i]);
        }
        // A left-over byte-order mark or half of a CR LF would spoil a line.
        for (const std::wstring& line : lines) {
            EXPECT_EQ(line.find_first_of(L"\r\n\uFEFF"), std::wstring::npos) << testing::PrintToString(line);
        }
    }
}

TEST(FilterListResources, ContentsSurviveLoading) {
    const std::vector<std::wstring> fileWhite = Loaded(L"file_white").Lines();
    EXPECT_EQ(std::ranges::count(fileWhite, L"WmiPrvSE.exe*"), 1);
    EXPECT_THAT(fileWhite, Contains(L"Quillon.exe*"));
    EXPECT_THAT(fileWhite, Contains(L"%SystemRoot%\\SYSWOW64\\TUCTLSystem.exe"));
    EXPECT_EQ(std::ranges::count_if(fileWhite, [](const std::wstring& L) { return L.starts_with(L'%'); }), 67);

    // The empty line sorts first and is kept.
    const std::vector<std::wstring> nameWhite = Loaded(L"name_white").Lines();
    ASSERT_FALSE(nameWhite.empty());
    EXPECT_EQ(nameWhite.front(), L"");
    EXPECT_THAT(nameWhite, Contains(L"Quillon"));
    EXPECT_THAT(nameWhite, Contains(L"cbdhsvc_"));

    // Rows that begin in Hangul sort after every Latin one.
    const std::vector<std::wstring> nameBlack = Loaded(L"name_black").Lines();
    ASSERT_GE(nameBlack.size(), 3u);
    EXPECT_THAT(std::vector(nameBlack.end() - 3, nameBlack.end()),
                ElementsAre(L"스마트 모바일 사인", L"우리은행 보안 로그 수집기",
                            L"유니사인(UniSign) 한국전자인증 스마트폰 인증서 이동"));
    EXPECT_THAT(nameBlack, Contains(L"Veraport(보안모듈 관리 프로그램) G3"));
    EXPECT_THAT(nameBlack, Contains(L"SignKorea NA Certification Toolkit(공인인증 프로그램)"));
}

TEST(FilterListResources, LoadReplacesContentsAndMissingResourceKeepsThem) {
    TFilterList list = Of({L"stale.exe*"});
    LoadFilterList(list, L"no_such_list");
    EXPECT_THAT(list.Lines(), ElementsAre(L"stale.exe*"));

    LoadFilterList(list, L"NAME_BLACK");
    EXPECT_EQ(list.Lines().size(), 37u);
    EXPECT_THAT(list.Lines(), Not(Contains(L"stale.exe*")));
}

TEST(FilterList, AssignAndAddIgnoreCaseForOrderAndDuplicates) {
    TFilterList list = Of({L"beta", L"Alpha", L"BETA", L"alpha", L"gamma", L"_under"});
    EXPECT_THAT(list.Lines(), ElementsAre(L"Alpha", L"beta", L"gamma", L"_under"));

    EXPECT_FALSE(list.Add(L"GAMMA"));
    EXPECT_TRUE(list.Add(L"Delta"));
    EXPECT_TRUE(list.Add(L" alpha"));  // blanks make a different line
    EXPECT_THAT(list.Lines(), ElementsAre(L" alpha", L"Alpha", L"beta", L"Delta", L"gamma", L"_under"));
}

TEST(FilterList, AssignKeepsTheFirstSpellingOfEachLine) {
    // Enough lines that the sort cannot get by with a stable small-range pass.
    std::vector<std::wstring> first, given;
    for (int i = 0; i < 40; ++i) first.push_back(L"Name" + std::to_wstring(i));
    for (int i = 39; i >= 0; --i) given.push_back(first[static_cast<std::size_t>(i)]);
    for (int i = 0; i < 40; ++i) given.push_back(L"NAME" + std::to_wstring(i));
    for (int i = 0; i < 40; ++i) given.push_back(L"name" + std::to_wstring(i));

    std::ranges::sort(first);
    EXPECT_THAT(Of(given).Lines(), ElementsAreArray(first));
}

TEST(FilterList, MergeAddsOnlyNewStringsOfAnArrayMember) {
    const std::vector<std::wstring> base = {L"chrome.exe*", L"msedge.exe*"};
    struct TCase {
        const char* Reply;
        std::vector<std::wstring> Expected;
    };
    const TCase cases[] = {
        {R"({"name_white": ["new.exe*"]})", base},
        {R"({"file_white": "new.exe*"})", base},
        {R"({"file_white": {"0": "new.exe*"}})", base},
        {R"({"file_white": null})", base},
        {R"(["new.exe*"])", base},
        {R"({"file_white": ["CHROME.EXE*", "MsEdge.exe*"]})", base},
        {R"({"file_white": []})", base},
        {R"({"file_white": [1, true, null, ["new.exe*"], {"a": "new.exe*"}, "new.exe*", "NEW.EXE*"]})",
         {L"chrome.exe*", L"msedge.exe*", L"new.exe*"}},
        {R"({"file_white": ["\uc0c8.exe*", "a.exe*"]})", {L"a.exe*", L"chrome.exe*", L"msedge.exe*", L"새.exe*"}},
        {R"({"file_white": [)", base},  // malformed: a discarded value
    };
    for (const TCase& testCase : cases) {
        SCOPED_TRACE(testCase.Reply);
        TFilterList list = Of(base);
        MergeFilterList(list, nlohmann::json::parse(testCase.Reply, nullptr, false), "file_white");
        EXPECT_THAT(list.Lines(), ElementsAreArray(testCase.Expected));
    }
}

struct TMatchCase {
    std::wstring Text;
    bool FileMode;
    bool Listed;
};

void ExpectMatches(const TFilterList& List, const std::vector<TMatchCase>& Cases) {
    for (const TMatchCase& testCase : Cases) {
        EXPECT_EQ(IsListed(List, testCase.Text, testCase.FileMode), testCase.Listed)
            << testing::PrintToString(testCase.Text) << (testCase.FileMode ? " in file mode" : " in name mode");
    }
}

TEST(FilterListMatching, BuiltInFileWhiteList) {
    const std::wstring windows = GetSpecialFolder(CSIDL_WINDOWS);
    const std::wstring programFilesX86 = GetSpecialFolder(CSIDL_PROGRAM_FILESX86);
    ASSERT_FALSE(ProgramFiles().empty());
    ASSERT_FALSE(windows.empty());
    ASSERT_FALSE(programFilesX86.empty());
    ASSERT_NE(ProgramFiles(), programFilesX86);

    const std::wstring realtek = L"\\Realtek\\Audio\\HDA\\RAVCpl64.exe";
    const std::wstring vmTools = L"\\VMware\\VMware Tools\\vmtoolsd.exe";
    ExpectMatches(Loaded(L"file_white"), {
                                             {L"C:\\Users\\Ann\\Start Menu\\Programs\\Startup\\chrome.exe", true, true},
                                             {L"CHROME.EXE", true, true},
                                             {L"D:chrome.exe", true, true},
                                             {L"C:\\Startup\\chrome.exe.lnk", true, false},
                                             {L"C:\\Startup\\Chrome.lnk", true, false},
                                             {L"C:\\Startup\\mychrome.exe", true, false},
                                             {L"C:\\Windows\\servicing\\TrustedInstaller.exe", true, false},
                                             {L"C:\\Windows\\servicing\\TrustedInstaller.ex", true, true},
                                             {L"C:\\Windows\\System32", true, false},
                                             {L"Memory Compression", true, true},
                                             {L"C:\\Windows\\System32\\egistry", true, true},
                                             {L"C:\\Program Files\\Quillon\\quillon.EXE", true, true},
                                             // Path rows match any text that holds the expanded path, in any case.
                                             {ProgramFiles() + realtek, true, true},
                                             {L"\"" + ProgramFiles() + realtek + L"\" -s", true, true},
                                             {AsciiLower(ProgramFiles() + realtek), true, true},
                                             {L"%ProgramFiles%" + realtek, true, false},
                                             {programFilesX86 + vmTools, true, true},
                                             {ProgramFiles() + vmTools, true, false},
                                             {windows + L"\\system32\\CTFMON.exe /n", true, true},
                                             {windows + L"\\System32\\notepad.exe", true, false},
                                             // Name mode takes a mask's '*' literally.
                                             {L"chrome.exe", false, false},
                                             {L"chrome.exe*", false, true},
                                             {L"CHROME.EXE* helper", false, true},
                                         });
}

TEST(FilterListMatching, BuiltInNameWhiteList) {
    ExpectMatches(Loaded(L"name_white"), {
                                             {L"DPS", false, true},
                                             {L"dps", false, true},
                                             {L"DPSHelper", false, true},
                                             {L"DP", false, false},
                                             {L" DPS", false, false},
                                             {L"cbdhsvc_4a5b7", false, true},
                                             {L"cbdhsvc", false, false},
                                             {L"Power", false, true},
                                             {L"PowerBiosServer", false, true},
                                             {L"Powe", false, false},
                                             {L"NotAService", false, false},
                                             {L"", false, false},
                                             {L"Quillon", false, true},
                                         });
}

TEST(FilterListMatching, TrimmedEntriesCommentsAndLocaleCase) {
    const TFilterList list = Of({
        L"  padded.exe*\t",
        L"// comment.exe*",
        L"//",
        L"   ",
        L" \\Tools\\Helper\\ ",
        L"  %programfiles%\\Fixture\\tool.exe ",
        L"Über.exe*",
        L"\\ärger\\",
        L"\\ÖL\\",
        L"Svc*Name",
        L"Überwachung",
    });
    ExpectMatches(list, {
                            {L"C:\\Startup\\padded.exe", true, true},
                            {L"padded.exe*", false, true},
                            {L"  padded.exe*", false, false},
                            {L"x// comment.exe*y", true, false},
                            {L"C:\\comment.exe", true, false},
                            {L"// comment.exe* and more", false, false},
                            {L"//", false, false},
                            {L"D:\\tools\\helper\\run.exe", true, true},
                            {ProgramFiles() + L"\\FIXTURE\\TOOL.EXE /min", true, true},
                            {ProgramFiles() + L"\\Fixture\\tool.exe.bak", false, true},
                            {L"C:\\Other\\tool.exe", true, false},
                            // Masks ignore ASCII case only; path fragments and names ignore case
                            // the way the user's locale does.
                            {L"C:\\Über.exe", true, true},
                            {L"C:\\über.exe", true, false},
                            {L"C:\\ÄRGER\\tool.exe", true, true},
                            {L"c:\\öl\\tool.exe", true, true},
                            {L"überwachung dienst", false, true},
                            {L"Svc*Name2", false, true},
                            {L"SvcXName", false, false},
                            {L"anything", false, false},
                            {L"C:\\anything.exe", true, false},
                        });
}

TEST(FilterListMatching, AddedAndMergedEntriesMatchAtOnce) {
    TFilterList list = Of({L"mmm.exe*"});
    EXPECT_FALSE(IsListed(list, L"C:\\aaa.exe", true));

    ASSERT_TRUE(list.Add(L" aaa.exe* "));
    MergeFilterList(list, nlohmann::json::parse(R"({"file_white": ["%ProgramFiles%\\Merged\\"]})"), "file_white");
    ExpectMatches(list, {
                            {L"C:\\aaa.exe", true, true},
                            {L"C:\\mmm.exe", true, true},
                            {ProgramFiles() + L"\\merged\\app.exe", true, true},
                            {L"C:\\zzz.exe", true, false},
                        });

    list.Assign({L"zzz.exe*"});
    ExpectMatches(list, {
                            {L"C:\\aaa.exe", true, false},
                            {L"C:\\mmm.exe", true, false},
                            {ProgramFiles() + L"\\merged\\app.exe", true, false},
                            {L"C:\\zzz.exe", true, true},
                        });
}

}  // namespace
}  // namespace quillon
