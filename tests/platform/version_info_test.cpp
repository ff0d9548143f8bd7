// Version strings read from real files: the fixture program, copies of it
// whose version resource a test rewrites (for layouts a resource compiler
// will not produce), Wine's own programs (which have none) and paths that
// name no file.

#include "platform/version_info.h"

#include "platform/version_block.h"
#include "tests/platform/fixtures/fixture_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillon {
namespace {

using test::FixtureApp;
using test::TScratchFolder;
using ::testing::ElementsAre;
using ::testing::Pair;

// ---- Building version resources -------------------------------------------
// Every node of a version resource: its length, its value's length (in
// characters for text, in bytes otherwise), a text flag and its key, then the
// value and the children, each starting on a 4-byte boundary.

using TBytes = std::string;

void AppendWord(TBytes& Bytes, unsigned Word) {
    Bytes.push_back(static_cast<char>(Word & 0xFF));
    Bytes.push_back(static_cast<char>((Word >> 8) & 0xFF));
}

void Align(TBytes& Bytes) {
    while (Bytes.size() % 4 != 0) Bytes.push_back('\0');
}

TBytes Node(std::wstring_view Key, bool IsText, const TBytes& Value, unsigned ValueLength,
            std::initializer_list<TBytes> Children = {}) {
    TBytes node;
    AppendWord(node, 0);  // the length, filled in below
    AppendWord(node, ValueLength);
    AppendWord(node, IsText ? 1 : 0);
    for (wchar_t c : Key) AppendWord(node, c);
    AppendWord(node, 0);
    Align(node);
    node += Value;
    for (const TBytes& child : Children) {
        Align(node);
        node += child;
    }
    node[0] = static_cast<char>(node.size() & 0xFF);
    node[1] = static_cast<char>((node.size() >> 8) & 0xFF);
    return node;
}

TBytes Characters(std::wstring_view Text) {
    TBytes bytes;
    for (wchar_t c : Text) AppendWord(bytes, c);
    return bytes;
}

TBytes String(std::wstring_view Key, std::wstring_view Value) {
    return Node(Key, true, Characters(Value) + TBytes(2, '\0'), static_cast<unsigned>(Value.size() + 1));
}

// A string whose value stops without a terminating zero, so whatever follows
// it in the block would read as more text.
TBytes UnterminatedString(std::wstring_view Key, std::wstring_view Value) {
    return Node(Key, true, Characters(Value), static_cast<unsigned>(Value.size()));
}

TBytes Table(std::wstring_view Name, std::initializer_list<TBytes> Strings) { return Node(Name, true, {}, 0, Strings); }

TBytes StringFileInfo(std::initializer_list<TBytes> Tables) { return Node(L"StringFileInfo", true, {}, 0, Tables); }

// Language and code page words, as many as given (a damaged table may hold
// half a pair or none).
TBytes VarFileInfo(std::initializer_list<unsigned> Words) {
    TBytes value;
    for (unsigned word : Words) AppendWord(value, word);
    const unsigned length = static_cast<unsigned>(value.size());
    return Node(L"VarFileInfo", true, {}, 0, {Node(L"Translation", false, value, length)});
}

TBytes VersionResource(std::initializer_list<TBytes> Children) {
    VS_FIXEDFILEINFO fixed{};
    fixed.dwSignature = VS_FFI_SIGNATURE;
    fixed.dwStrucVersion = VS_FFI_STRUCVERSION;
    fixed.dwFileOS = VOS_NT_WINDOWS32;
    fixed.dwFileType = VFT_APP;
    TBytes value(sizeof(fixed), '\0');
    std::memcpy(value.data(), &fixed, sizeof(fixed));
    return Node(L"VS_VERSION_INFO", false, value, sizeof(fixed), Children);
}

// Node with its stated length replaced by Length, its bytes unchanged.
TBytes WithLength(TBytes Node, unsigned Length) {
    Node[0] = static_cast<char>(Length & 0xFF);
    Node[1] = static_cast<char>((Length >> 8) & 0xFF);
    return Node;
}

// The bytes a fuzzer found: a block stating 64 KB and a 16 KB value in 8 bytes.
const TBytes kFuzzedBlock("\xff\xff\x00\x40\x00\x00\x00\x00", 8);

// A copy of the fixture whose version resource is Resource instead.
std::wstring FixtureWithVersion(const TScratchFolder& Folder, const std::wstring& Name, const TBytes& Resource) {
    const std::wstring file = Folder.CopyOfFixture(Name);
    HANDLE update = ::BeginUpdateResourceW(file.c_str(), FALSE);
    if (!update) {
        ADD_FAILURE() << "BeginUpdateResourceW failed: " << ::GetLastError();
        return file;
    }
    TBytes data = Resource;
    const BOOL replaced =
        ::UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO),
                          MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), data.data(), static_cast<DWORD>(data.size()));
    EXPECT_TRUE(replaced) << "UpdateResourceW failed: " << ::GetLastError();
    EXPECT_TRUE(::EndUpdateResourceW(update, !replaced)) << "EndUpdateResourceW failed: " << ::GetLastError();
    return file;
}

// ---- The fixture as built --------------------------------------------------

TEST(ReadVersionStrings, ReadsTheStringsOfTheFirstLanguageOnly) {
    TVersionStrings values;
    // "LegalTrademarks" exists only in the second language's table; the
    // empty "Comments" is there and is added as empty.
    const int count = ReadVersionStrings(
        FixtureApp(), {L"ProductName", L"LegalTrademarks", L"Comments", L"NoSuchString", L"CompanyName"}, values);
    EXPECT_EQ(count, 3);
    EXPECT_THAT(values, ElementsAre(Pair(L"Comments", L""), Pair(L"CompanyName", L"Quillon Test Makers"),
                                    Pair(L"ProductName", L"Quillon Fixture")));
}

TEST(ReadVersionStrings, CountsTheEntriesThatWereThereBefore) {
    TVersionStrings values{{L"Earlier", L"kept"}};
    EXPECT_EQ(ReadVersionStrings(FixtureApp(), {L"ProductName"}, values), 2);
    EXPECT_THAT(values, ElementsAre(Pair(L"Earlier", L"kept"), Pair(L"ProductName", L"Quillon Fixture")));
    // Nothing found still reports what the dictionary holds.
    EXPECT_EQ(ReadVersionStrings(FixtureApp(), {L"NoSuchString"}, values), 2);
}

TEST(ReadVersionStrings, AKeyAlreadyPresentFailsAfterTheKeysBeforeIt) {
    // Keys are added in their order, so the failure shows which came first.
    TVersionStrings values{{L"CompanyName", L"earlier"}};
    EXPECT_THROW(ReadVersionStrings(FixtureApp(), {L"ProductName", L"CompanyName", L"FileDescription"}, values),
                 std::invalid_argument);
    EXPECT_THAT(values, ElementsAre(Pair(L"CompanyName", L"earlier"), Pair(L"ProductName", L"Quillon Fixture")));

    // The same dictionary asked a second time fails on the first key found again.
    EXPECT_THROW(ReadVersionStrings(FixtureApp(), {L"NoSuchString", L"ProductName"}, values), std::invalid_argument);
    EXPECT_EQ(values.size(), 2u);
}

TEST(ReadVersionStrings, GivesZeroAndLeavesTheDictionaryAloneWithoutVersionStrings) {
    TScratchFolder folder;
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring notepad = std::wstring(windows) + L"\\system32\\notepad.exe";
    ASSERT_NE(::GetFileAttributesW(notepad.c_str()), INVALID_FILE_ATTRIBUTES);

    const std::wstring paths[] = {
        folder.File(L"missing.exe"),  // no such file
        folder.Path(),                // a directory
        windows,                      // another directory
        notepad,                      // one of Wine's own programs: no version resource
        L"",
    };
    for (const std::wstring& path : paths) {
        TVersionStrings values{{L"Earlier", L"kept"}};
        EXPECT_EQ(ReadVersionStrings(path, {L"ProductName", L"FileVersion"}, values), 0)
            << ::testing::PrintToString(path);
        EXPECT_THAT(values, ElementsAre(Pair(L"Earlier", L"kept"))) << ::testing::PrintToString(path);
        EXPECT_EQ(ReadProductName(path), L"") << ::testing::PrintToString(path);
    }
}

TEST(ReadProductName, IsTheFirstLanguagesProductName) { EXPECT_EQ(ReadProductName(FixtureApp()), L"Quillon Fixture"); }

// ---- Rewritten version resources -------------------------------------------

struct TLayoutCase {
    const char* Name;
    TBytes Resource;
    std::vector<std::pair<std::wstring, std::wstring>> Expected;
};

TEST(ReadVersionStrings, FollowsTheFirstTranslationAndSurvivesDamagedBlocks) {
    const TBytes english =
        Table(L"040904b0", {String(L"ProductName", L"English"), String(L"FileDescription", L"Text")});
    const TLayoutCase cases[] = {
        // Shows that a rewritten resource is read at all: without it the
        // empty results below would prove nothing.
        {"plain",
         VersionResource({StringFileInfo({english}), VarFileInfo({0x0409, 1200})}),
         {{L"FileDescription", L"Text"}, {L"ProductName", L"English"}}},
        {"the code page picks the table",
         VersionResource({StringFileInfo({english, Table(L"040904e4", {String(L"ProductName", L"Western")})}),
                          VarFileInfo({0x0409, 1252})}),
         {{L"ProductName", L"Western"}}},
        {"first language has no table",
         VersionResource({StringFileInfo({english}), VarFileInfo({0x0407, 1200, 0x0409, 1200})}),
         {}},
        {"no translation table", VersionResource({StringFileInfo({english})}), {}},
        {"empty translation table", VersionResource({StringFileInfo({english}), VarFileInfo({})}), {}},
        {"half a translation", VersionResource({StringFileInfo({english}), VarFileInfo({0x0409})}), {}},
        {"string without its terminating zero",
         VersionResource({StringFileInfo({Table(L"040904b0", {UnterminatedString(L"ProductName", L"Abcdef"),
                                                              String(L"FileDescription", L"Next")})}),
                          VarFileInfo({0x0409, 1200})}),
         {{L"FileDescription", L"Next"}, {L"ProductName", L"Abcdef"}}},
        // Larger than the room of a first read: the name at its end is read all the same.
        {"a block stating more than it holds", kFuzzedBlock, {}},
        {"a string longer than its table",
         VersionResource({StringFileInfo({Table(L"040904b0", {WithLength(String(L"ProductName", L"Long"), 400)})}),
                          VarFileInfo({0x0409, 1200})}),
         {}},
        {"a block of 24 KB",
         VersionResource({StringFileInfo({Table(L"040904b0", {String(L"FileDescription", std::wstring(12000, L'd')),
                                                              String(L"ProductName", L"Last")})}),
                          VarFileInfo({0x0409, 1200})}),
         {{L"FileDescription", std::wstring(12000, L'd')}, {L"ProductName", L"Last"}}},
    };
    TScratchFolder folder;
    int number = 0;
    for (const TLayoutCase& layout : cases) {
        const std::wstring file =
            FixtureWithVersion(folder, L"layout" + std::to_wstring(++number) + L".exe", layout.Resource);
        TVersionStrings values;
        const int count = ReadVersionStrings(file, {L"ProductName", L"FileDescription"}, values);
        EXPECT_EQ(count, static_cast<int>(layout.Expected.size())) << layout.Name;
        EXPECT_EQ(values, TVersionStrings(layout.Expected.begin(), layout.Expected.end())) << layout.Name;
    }
}

TEST(ReadVersionStrings, AProgramCutShortHasNoVersion) {
    // The system's version reader faults on these rather than failing.
    const std::string image = test::ReadBytes(FixtureApp());
    TScratchFolder folder;
    for (std::size_t length : {std::size_t{64}, std::size_t{1024}, image.size() / 2, image.size() - 1}) {
        const std::wstring cut = folder.File(L"cut" + std::to_wstring(length) + L".exe");
        test::WriteBytes(cut, image.substr(0, length));
        TVersionStrings values;
        EXPECT_EQ(ReadVersionStrings(cut, {L"ProductName"}, values), 0) << length;
        EXPECT_FALSE(ReadFileVersion(cut)) << length;
    }
    const std::wstring whole = folder.File(L"whole.exe");
    test::WriteBytes(whole, image);
    EXPECT_EQ(ReadProductName(whole), L"Quillon Fixture");
    EXPECT_EQ(ReadFileVersion(whole), (std::array<unsigned, 4>{1, 2, 3, 4}));
}

// ---- The shape of a block --------------------------------------------------

TEST(IsWellFormedVersionBlock, FollowsEveryStatedLength) {
    const TBytes good = VersionResource(
        {StringFileInfo({Table(L"040904b0", {String(L"ProductName", L"Name"), String(L"Comments", L"")})}),
         VarFileInfo({0x0409, 1200})});
    // A node of its own bytes: length, value length, type, then the key.
    const auto rawNode = [](unsigned Length, unsigned ValueLength, bool IsText, std::wstring_view Key) {
        TBytes node;
        AppendWord(node, Length);
        AppendWord(node, ValueLength);
        AppendWord(node, IsText ? 1 : 0);
        for (wchar_t c : Key) AppendWord(node, c);
        return node;
    };
    const TBytes inTable = Table(L"040904b0", {String(L"ProductName", L"Name")});
    struct TCase {
        const char* Name;
        TBytes Block;
        bool WellFormed;
    };
    const TCase cases[] = {
        {"a block the resource compiler's layout gives", good, true},
        {"with zero-filled room after it", good + TBytes(4096, '\0'), true},
        {"a lone root", Node(L"VS_VERSION_INFO", false, {}, 0), true},
        {"fuzzed: 64 KB stated in 8 bytes", kFuzzedBlock, false},
        {"fuzzed, in the room the reader makes for it", kFuzzedBlock + TBytes(0xFFFF - 8, '\0'), false},
        {"nothing", TBytes(), false},
        {"less than a header", TBytes("\x06\x00\x00", 3), false},
        {"root longer than the block", WithLength(good, static_cast<unsigned>(good.size() + 4)), false},
        {"root of zero length", WithLength(good, 0), false},
        {"child longer than its parent",
         VersionResource({StringFileInfo({Table(L"040904b0", {WithLength(String(L"ProductName", L"Name"), 200)})})}),
         false},
        {"child of zero length", VersionResource({StringFileInfo({WithLength(inTable, 0)})}), false},
        {"child shorter than its key", VersionResource({StringFileInfo({WithLength(inTable, 10)})}), false},
        {"binary value past its node", VersionResource({Node(L"Translation", false, TBytes(4, '\0'), 400)}), false},
        {"text value past its node",
         VersionResource({Node(L"Comments", true, Characters(L"ab") + TBytes(2, '\0'), 40)}), false},
        // Six characters are twelve bytes, though the node holds only eight.
        {"text value whose characters run past its node",
         VersionResource({Node(L"Comments", true, Characters(L"abcd"), 6)}), false},
        {"key without its terminating zero", VersionResource({rawNode(12, 0, true, L"abc") + rawNode(8, 0, true, L"")}),
         false},
        {"key ending exactly at its node's end", VersionResource({rawNode(14, 0, true, L"abc") + TBytes(2, '\0')}),
         true},
    };
    for (const TCase& c : cases) EXPECT_EQ(IsWellFormedVersionBlock(c.Block), c.WellFormed) << c.Name;
}

TEST(IsWellFormedVersionBlock, WalksADeepBlockWithoutRecursing) {
    // Thousands of nested nodes fit in one block; a walk that recursed per
    // level would run out of stack on a small thread.
    TBytes block = Node(L"", false, {}, 0);
    for (int level = 0; level < 5000; ++level) block = Node(L"", false, {}, 0, {block});
    ASSERT_LE(block.size(), 0xFFFFu);
    struct TWalk {
        const TBytes* Block;
        bool WellFormed;
    } walk{&block, false};
    // A thread with 64 KB of stack.
    HANDLE thread = ::CreateThread(
        nullptr, 64 * 1024,
        [](void* Parameter) -> DWORD {
            auto* context = static_cast<TWalk*>(Parameter);
            context->WellFormed = IsWellFormedVersionBlock(*context->Block);
            return 0;
        },
        &walk, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    ASSERT_TRUE(thread);
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    EXPECT_TRUE(walk.WellFormed);
}

}  // namespace
}  // namespace quillon
