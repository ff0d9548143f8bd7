// The whole inventory: its sources' order and how a failing source ends it.
#include "autorun/collect.h"
#include "platform/errors.h"
#include "platform/folders.h"

#include <gtest/gtest.h>

#include <string>

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
void Vanish(TAutorunList&) { throw TAppError(L"The specified path was not found"); }
void NotReached(TAutorunList& List) { List.push_back(Named(L"not reached")); }
void ContributesNothing(TAutorunList&) {}

TEST(CollectAutoruns, ARaisingSourceEndsTheCollectionAndKeepsWhatCameBefore) {
    const TAutorunSource sources[] = {&AddTwo, &ContributesNothing, &Vanish, &NotReached};
    TAutorunList list(5);  // a previous collection's entries
    EXPECT_THROW(CollectAutoruns(list, sources), TAppError);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Caption, L"first");
    EXPECT_EQ(list[1].Caption, L"second");

    const TAutorunSource quiet[] = {&ContributesNothing};
    CollectAutoruns(list, quiet);
    EXPECT_TRUE(list.empty());
}

int Rank(const std::wstring& From) {
    if (From == L"FILE") return 0;
    if (From == L"HKLM" || From == L"HKCU") return 1;
    if (From == L"SCHE") return 2;
    if (From == L"SERV") return 3;
    return -1;
}

TEST(CollectAutoruns, GathersTheFourSourcesInOrderFromTheRealSystem) {
    InitFolderVariables();
    TAutorunList list(3);
    CollectAutoruns(list);
    ASSERT_FALSE(list.empty()) << "Wine's prefix has services at least";
    int last = 0;
    for (const TAutorunInfo& entry : list) {
        const int rank = Rank(entry.From);
        ASSERT_GE(rank, 0) << "unknown source";
        EXPECT_EQ(entry.Kind, KindFromText(entry.From)) << "kind and source text disagree";
        EXPECT_GE(rank, last) << "sources out of order";
        last = rank;
    }
    EXPECT_EQ(last, 3) << "the services come last";
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
