// The refresh's merge of a fresh inventory into the rows, without the platform.
#include "view/refresh.h"
#include "view/row_merge.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quillon {
namespace {

TAutorunInfo Entry(const wchar_t* From, const wchar_t* Target, const wchar_t* Caption, bool Enabled = true) {
    TAutorunInfo entry;
    entry.From = From;
    entry.Target = Target;
    entry.Caption = Caption;
    entry.Enabled = Enabled;
    entry.Kind = KindFromText(From);
    return entry;
}

TAutorunItem Row(const wchar_t* From, const wchar_t* Target, const wchar_t* Text, bool Enabled = true) {
    TAutorunItem row;
    row.FileName = Text;
    row.Target = Target;
    row.From = From;
    row.Icon = 7;
    row.Enabled = Enabled;
    row.Kind = KindFromText(From);
    return row;
}

std::vector<std::wstring> Texts(const std::vector<TAutorunItem>& Rows) {
    std::vector<std::wstring> texts;
    for (const TAutorunItem& row : Rows) texts.push_back(row.FileName);
    return texts;
}

// Hides targets starting with "hidden", names rows by kind, counts calls.
struct TRecordingHooks {
    int Prepared = 0;
    TRowMergeHooks Hooks() {
        return {[](const TAutorunInfo& e) { return e.Target.rfind(L"hidden", 0) == 0; },
                [this](const TAutorunInfo& e, TAutorunItem& row) {
                    ++Prepared;
                    row.Icon = static_cast<int>(e.Kind);
                    if (e.Kind == TAutorunKind::RunValue) row.FileName = L"Product of " + e.Caption;
                }};
    }
};

TEST(MergeRows, NewEntriesGetRowsInInventoryOrderUnlessFiltered) {
    TRecordingHooks hooks;
    std::vector<TAutorunItem> rows;
    const TAutorunList entries = {
        Entry(L"FILE", L"C:\\s\\b.lnk", L"b"),           Entry(L"HKCU", L"HKCU\\Run\\a", L"a"),
        Entry(L"SERV", L"hiddenSvc", L"Hidden service"), Entry(L"SERV", L"svc", L""),  // no caption: never a row
        Entry(L"SCHE", L"\\off", L"off task", false),    Entry(L"sche", L"\\task", L"task")};
    MergeRows(rows, entries, false, hooks.Hooks());
    EXPECT_THAT(Texts(rows), ::testing::ElementsAre(L"b", L"Product of a", L"task"));
    EXPECT_EQ(rows[0].Icon, static_cast<int>(TAutorunKind::StartupFile));
    EXPECT_EQ(rows[2].Icon, static_cast<int>(TAutorunKind::Task));
    EXPECT_EQ(rows[2].Kind, TAutorunKind::Task) << "a row keeps its entry's kind for the switch";
    EXPECT_EQ(hooks.Prepared, 3);

    rows.clear();
    MergeRows(rows, entries, true, hooks.Hooks());
    EXPECT_THAT(Texts(rows), ::testing::ElementsAre(L"b", L"Product of a", L"off task", L"task"));
    EXPECT_FALSE(rows[2].Enabled);
}

TEST(MergeRows, ExistingRowsOnlyTakeTheNewStateAndVanishedOnesGo) {
    TRecordingHooks hooks;
    std::vector<TAutorunItem> rows = {Row(L"SERV", L"gone1", L"gone first"), Row(L"HKLM", L"HKLM\\Run\\x", L"X"),
                                      Row(L"SERV", L"hiddenButShown", L"kept"), Row(L"FILE", L"C:\\gone.lnk", L"gone")};
    const TAutorunList entries = {Entry(L"hklm", L"hklm\\RUN\\X", L"x", false),  // disabled now, not shown-all
                                  Entry(L"SERV", L"hiddenButShown", L"")};       // no caption, row stays
    MergeRows(rows, entries, false, hooks.Hooks());
    // The first row was found ignoring case and took the state, but its exact
    // key is not in this inventory, so it goes all the same.
    EXPECT_THAT(Texts(rows), ::testing::ElementsAre(L"kept"));
    EXPECT_EQ(hooks.Prepared, 0);

    rows = {Row(L"HKLM", L"HKLM\\Run\\x", L"X")};
    MergeRows(rows, {Entry(L"HKLM", L"HKLM\\Run\\x", L"x", false)}, false, hooks.Hooks());
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].FileName, L"X");
    EXPECT_EQ(rows[0].Icon, 7);
    EXPECT_FALSE(rows[0].Enabled);
}

TEST(MergeRows, EntriesEqualIgnoringCaseShareOneRowWithTheLaterState) {
    std::vector<TAutorunItem> rows;
    const TAutorunList entries = {Entry(L"SERV", L"Svc", L"one", true), Entry(L"serv", L"SVC", L"two", false),
                                  Entry(L"SERV", L"Svc", L"three", false)};
    MergeRows(rows, entries, false, {});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].FileName, L"one");
    EXPECT_FALSE(rows[0].Enabled);
}

TEST(MergeRows, ARowBehindAnotherOfTheSameKeyStaysWhileAnEntryHasItsExactKey) {
    // Only an earlier refresh's case edge can leave two such rows; the entry
    // finds (and updates) the first, yet it is the second that it keeps.
    std::vector<TAutorunItem> rows = {Row(L"SERV", L"svc", L"first", true), Row(L"SERV", L"SVC", L"second", true)};
    MergeRows(rows, {Entry(L"SERV", L"SVC", L"any", false)}, false, {});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].FileName, L"second");
}

// Each kind is filtered by its own text: a start-up file by its full path in
// the file list, a Run value by its whole name, a task by its name and a
// service by its key name in the name list.
TEST(IsHiddenByFilters, ChecksEachKindByItsOwnText) {
    TFilterList fileWhite;
    fileWhite.Assign({L"chrome.exe*", L"\\Vendor\\"});
    TFilterList nameWhite;
    nameWhite.Assign({L"Foo", L"cbdhsvc_", L"Backup"});
    const TFilterLists filters{&fileWhite, &nameWhite, nullptr};
    const struct {
        TAutorunInfo Entry;
        bool Hidden;
    } cases[] = {
        {Entry(L"FILE", L"C:\\Startup\\chrome.exe", L"chrome"), true},
        {Entry(L"FILE", L"C:\\Startup\\Chrome.lnk", L"Chrome"), false},
        {Entry(L"FILE", L"C:\\Vendor\\x.lnk", L"x"), true},
        {Entry(L"HKCU", L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Foo\\Bar", L"Foo\\Bar"), true},
        {Entry(L"HKCU", L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Bar\\Foo", L"Bar\\Foo"), false},
        {Entry(L"SCHE", L"\\Backup", L"Backup"), true},
        {Entry(L"SERV", L"cbdhsvc_1a2b", L"Clipboard"), true},
        {Entry(L"SERV", L"Spooler", L"Foo spooler"), false},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(IsHiddenByFilters(filters, testCase.Entry), testCase.Hidden)
            << std::string(testCase.Entry.Target.begin(), testCase.Entry.Target.end());
    }
    EXPECT_FALSE(IsHiddenByFilters({}, cases[0].Entry)) << "no lists hide nothing";
}

}  // namespace
}  // namespace quillon
