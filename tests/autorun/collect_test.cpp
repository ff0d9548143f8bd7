// The whole inventory: its sources' order and how a failing source ends it.
#include "autorun/background_collection.h"
#include "autorun/collect.h"
#include "platform/errors.h"
#include "platform/folders.h"
#include "platform/registry.h"
#include "platform/unique_handle.h"
#include "tests/support/run_values.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon {
namespace {

TAutorunInfo Named(const wchar_t* Caption) {
    TAutorunInfo entry;
    entry.Caption = Caption;
    return entry;
}

void AddTwo(TAutorunList& List) {
    List.push_back(Named(L"first"));
    List.push_back(Named(L"second"));
}
void AddOneThenVanish(TAutorunList& List) {
    List.push_back(Named(L"gathered before the failure"));
    throw TAppError(L"The specified path was not found");
}
void Refused(TAutorunList&) { throw TAppError(L"The Task Scheduler cannot be connected (0x80041315)"); }
void AddLast(TAutorunList& List) { List.push_back(Named(L"after the failures")); }
void ContributesNothing(TAutorunList&) {}

std::vector<std::wstring> Captions(const TAutorunList& List) {
    std::vector<std::wstring> captions;
    for (const TAutorunInfo& entry : List) captions.push_back(entry.Caption);
    return captions;
}

TEST(CollectAutoruns, AFailingSourceKeepsWhatItFoundTheOthersAreStillReadAndTheFirstFailureIsTold) {
    const TAutorunSource sources[] = {&AddTwo, &AddOneThenVanish, &Refused, &AddLast};
    TAutorunList list(5);  // a previous collection's entries
    const std::optional<TAppError> failure = CollectAutoruns(list, sources);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->Message(), L"The specified path was not found");
    EXPECT_EQ(Captions(list),
              (std::vector<std::wstring>{L"first", L"second", L"gathered before the failure", L"after the failures"}));

    const TAutorunSource quiet[] = {&ContributesNothing};
    EXPECT_FALSE(CollectAutoruns(list, quiet));
    EXPECT_TRUE(list.empty());
}

int Rank(const std::wstring& From) {
    if (From == L"FILE") return 0;
    if (From == L"HKLM" || From == L"HKCU") return 1;
    if (From == L"SCHE") return 2;
    if (From == L"SERV") return 3;
    return -1;
}

// One start-up file and one Run value of this test, removed again however
// the test ends, so that every source but the tasks has an entry to order.
class TSourcesWithEntries : public test::TStartupFolders {
public:
    TSourcesWithEntries() {
        const UniqueFileHandle file(
            ::CreateFileW(FFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        FValues.Add(FName, L"C:\\order.exe");
    }
    ~TSourcesWithEntries() { ::DeleteFileW(FFile.c_str()); }

private:
    const std::wstring FName = L"QlnOrder" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring FFile = User + L"\\" + FName + L".lnk";
    test::TRunValues FValues;
};

TEST(CollectAutoruns, GathersTheFourSourcesInOrderFromTheRealSystem) {
    InitFolderVariables();
    const TSourcesWithEntries entries;
    ASSERT_TRUE(entries.Made());
    TAutorunList list(3);
    EXPECT_FALSE(CollectAutoruns(list)) << "Wine's sources all answer";
    std::vector<int> ranks;
    for (const TAutorunInfo& entry : list) {
        const int rank = Rank(entry.From);
        ASSERT_GE(rank, 0) << "unknown source";
        EXPECT_EQ(entry.Kind, KindFromText(entry.From)) << "kind and source text disagree";
        if (ranks.empty() || ranks.back() != rank) ranks.push_back(rank);
    }
    // Wine's task collection lists nothing, so the tasks have no place here.
    EXPECT_EQ(ranks, (std::vector<int>{0, 1, 3})) << "start-up files, then Run values, then services, each once";
}

TEST(BackgroundCollection, GivesWhatCollectAutorunsGivesOnceAndOnlyOnce) {
    InitFolderVariables();
    const TSourcesWithEntries entries;
    ASSERT_TRUE(entries.Made());
    TBackgroundCollection background;
    std::optional<TCollected> collected = background.Take();
    ASSERT_TRUE(collected);
    TAutorunList direct;
    EXPECT_EQ(CollectAutoruns(direct).has_value(), collected->Failure.has_value());
    std::vector<std::wstring> expected;
    for (const TAutorunInfo& entry : direct) expected.push_back(entry.From + L"|" + entry.Target);
    std::vector<std::wstring> got;
    for (const TAutorunInfo& entry : collected->List) got.push_back(entry.From + L"|" + entry.Target);
    EXPECT_EQ(got, expected) << "the same entries, in the sources' order";
    EXPECT_FALSE(background.Take()) << "handed over once";
}

TEST(KindFromText, ThreeTagsInAnyCaseAndEveryOtherTextIsARunValue) {
    const std::pair<const wchar_t*, TAutorunKind> cases[] = {
        {L"FILE", TAutorunKind::StartupFile},
        {L"file", TAutorunKind::StartupFile},
        {L"SCHE", TAutorunKind::Task},
        {L"sChE", TAutorunKind::Task},
        {L"Serv", TAutorunKind::Service},
        {L"HKCU", TAutorunKind::RunValue},
        {L"HKEY_LOCAL_MACHINE", TAutorunKind::RunValue},
        {L"FILES", TAutorunKind::RunValue},
        {L"", TAutorunKind::RunValue},
    };
    for (const auto& [from, kind] : cases) EXPECT_EQ(KindFromText(from), kind) << from;
}

}  // namespace
}  // namespace quillon
