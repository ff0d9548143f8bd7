// The address of an entry's page on the product's web site.

#include "view/entry_page.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(EntryPageUrl, NamesSourceAndEntryInLowerCase) {
    struct TCase {
        const wchar_t* From;
        const wchar_t* Target;
        const wchar_t* Page;
    };
    const TCase cases[] = {
        {L"HKCU", L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater", L"hkcu/updater"},
        {L"HKLM", L"HKLM\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run\\My Tool", L"hklm/my tool"},
        {L"FILE", L"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\StartUp\\Tools.lnk", L"file/tools.lnk"},
        {L"SERV", L"WSearch", L"serv/wsearch"},
        {L"SCHE", L"\\Nightly Backup", L"sche/nightly backup"},
        {L"HKCU", L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\", L"hkcu/"},
        {L"SERV", L"Dienst\x00c4", L"serv/dienst\x00c4"},
    };
    for (const TCase& testCase : cases) {
        EXPECT_EQ(EntryPageUrl(testCase.From, testCase.Target), std::wstring(kEntryPageBaseUrl) + testCase.Page)
            << ::testing::PrintToString(std::wstring(testCase.Target));
    }
    EXPECT_EQ(EntryPageUrl(L"HKCU", L"HKCU\\Run\\Updater"), L"https://quillon.app/entry/hkcu/updater");
}

}  // namespace
}  // namespace quillon
