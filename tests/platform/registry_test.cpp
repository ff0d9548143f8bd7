// TReg against Wine's real registry, in scratch keys named after the
// process so that test programs running side by side never meet.

#include "platform/registry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <optional>
#include <thread>

namespace quillon {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

const std::wstring kTestsKey = L"Software\\QuillonTests";
const std::wstring kTestsKey32 = L"Software\\Wow6432Node\\QuillonTests";

struct TRawValue {
    DWORD Type = REG_NONE;
    TBytes Data;
};

// Direct registry calls, so that what TReg wrote is checked by other means.
void RawSet(HKEY Root, const std::wstring& Key, const std::wstring& Name, DWORD Type, const void* Data, DWORD Size) {
    HKEY opened = nullptr;
    ASSERT_EQ(
        ::RegCreateKeyExW(Root, Key.c_str(), 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY, nullptr, &opened, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(::RegSetValueExW(opened, Name.c_str(), 0, Type, static_cast<const BYTE*>(Data), Size), ERROR_SUCCESS);
    ::RegCloseKey(opened);
}

std::optional<TRawValue> RawGet(HKEY Root, const std::wstring& Key, const std::wstring& Name,
                                REGSAM View = KEY_WOW64_64KEY) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(Root, Key.c_str(), 0, KEY_QUERY_VALUE | View, &opened) != ERROR_SUCCESS) return std::nullopt;
    TRawValue value;
    DWORD size = 0;
    LONG status = ::RegQueryValueExW(opened, Name.c_str(), nullptr, &value.Type, nullptr, &size);
    if (status == ERROR_SUCCESS && size > 0) {
        value.Data.resize(size);
        status = ::RegQueryValueExW(opened, Name.c_str(), nullptr, &value.Type, value.Data.data(), &size);
    }
    ::RegCloseKey(opened);
    if (status != ERROR_SUCCESS) return std::nullopt;
    return value;
}

bool RawKeyExists(HKEY Root, const std::wstring& Key, REGSAM View = KEY_WOW64_64KEY) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(Root, Key.c_str(), 0, KEY_QUERY_VALUE | View, &opened) != ERROR_SUCCESS) return false;
    ::RegCloseKey(opened);
    return true;
}

void RawRemoveTree(HKEY Root, const std::wstring& Key, const std::wstring& Parent) {
    ::RegDeleteTreeW(Root, Key.c_str());
    ::RegDeleteKeyW(Root, Parent.c_str());  // only succeeds once no other test program uses it
}

TBytes BytesOf(std::initializer_list<int> Values) {
    TBytes bytes;
    for (int value : Values) bytes.push_back(static_cast<std::uint8_t>(value));
    return bytes;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        TearDown();
        HKEY created = nullptr;
        ASSERT_EQ(
            ::RegCreateKeyExW(HKEY_CURRENT_USER, Scratch.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr),
            ERROR_SUCCESS);
        ::RegCloseKey(created);
    }

    void TearDown() override {
        RawRemoveTree(HKEY_CURRENT_USER, Scratch, kTestsKey);
        RawRemoveTree(HKEY_LOCAL_MACHINE, Scratch, kTestsKey);
        RawRemoveTree(HKEY_LOCAL_MACHINE, Scratch32, kTestsKey32);
    }

    std::wstring Sub(const std::wstring& Rest) const { return Scratch + L"\\" + Rest; }

    const std::wstring Id = std::to_wstring(::GetCurrentProcessId());
    const std::wstring Scratch = kTestsKey + L"\\" + Id;
    const std::wstring Scratch32 = kTestsKey32 + L"\\" + Id;
};

TEST_F(RegistryTest, IsKeyFindsExistingKeysAndCreatesNothing) {
    EXPECT_TRUE(TReg::IsKey(HKEY_CURRENT_USER, Scratch));
    EXPECT_FALSE(TReg::IsKey(HKEY_CURRENT_USER, Sub(L"Missing")));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Sub(L"Missing")));
}

TEST_F(RegistryTest, ReadStringGivesEmptyForMissingValueButDefaultForMissingKey) {
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, Scratch, L"Missing", L"default"), L"");
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, Sub(L"Missing"), L"Name", L"default"), L"default");
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Sub(L"Missing")));
}

TEST_F(RegistryTest, ReadStringReturnsStoredTextUnexpanded) {
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"Plain", L"C:\\Tool\\tool.exe /quiet");
    const wchar_t expand[] = L"%SystemRoot%\\tool.exe";
    RawSet(HKEY_CURRENT_USER, Scratch, L"Expand", REG_EXPAND_SZ, expand, sizeof expand);

    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, Scratch, L"Plain", L"x"), L"C:\\Tool\\tool.exe /quiet");
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, Scratch, L"Expand", L"x"), L"%SystemRoot%\\tool.exe");
}

TEST_F(RegistryTest, ReadStringCopesWithMissingTerminatorOddSizeAndInnerNul) {
    const wchar_t text[] = L"abc\0def";
    RawSet(HKEY_CURRENT_USER, Scratch, L"NoNul", REG_SZ, text, 3 * sizeof(wchar_t));
    RawSet(HKEY_CURRENT_USER, Scratch, L"OddSize", REG_SZ, text, 3 * sizeof(wchar_t) + 1);
    RawSet(HKEY_CURRENT_USER, Scratch, L"InnerNul", REG_SZ, text, sizeof text);
    RawSet(HKEY_CURRENT_USER, Scratch, L"Empty", REG_SZ, text, 0);

    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, Scratch, L"NoNul", L"x"), L"abc");
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, Scratch, L"OddSize", L"x"), L"abc");
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, Scratch, L"InnerNul", L"x"), L"abc");
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, Scratch, L"Empty", L"x"), L"");
}

TEST_F(RegistryTest, ReadStringOfOtherTypeGivesEmptyText) {
    TReg::WriteInteger(HKEY_CURRENT_USER, Scratch, L"Number", 42);
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, Scratch, L"Number", L"x"), L"");
}

TEST_F(RegistryTest, ReadStringReadsLongText) {
    const std::wstring longText(40000, L'q');
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"Long", longText);
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, Scratch, L"Long", L""), longText);
}

TEST_F(RegistryTest, ReadIntegerTakesOnlyFourByteNumbers) {
    TReg::WriteInteger(HKEY_CURRENT_USER, Scratch, L"Negative", -5);
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"Text", L"12");
    const std::uint8_t bigEndian[] = {0x00, 0x00, 0x01, 0x02};
    RawSet(HKEY_CURRENT_USER, Scratch, L"BigEndian", REG_DWORD_BIG_ENDIAN, bigEndian, sizeof bigEndian);
    const std::uint8_t eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    RawSet(HKEY_CURRENT_USER, Scratch, L"TooLong", REG_DWORD, eight, sizeof eight);
    RawSet(HKEY_CURRENT_USER, Scratch, L"TooShort", REG_DWORD, eight, 2);

    EXPECT_EQ(TReg::ReadInteger(HKEY_CURRENT_USER, Scratch, L"Negative", 7), -5);
    EXPECT_EQ(TReg::ReadInteger(HKEY_CURRENT_USER, Scratch, L"Text", 7), 7);
    EXPECT_EQ(TReg::ReadInteger(HKEY_CURRENT_USER, Scratch, L"BigEndian", 7), 0x02010000);  // as stored
    EXPECT_EQ(TReg::ReadInteger(HKEY_CURRENT_USER, Scratch, L"TooLong", 7), 7);
    EXPECT_EQ(TReg::ReadInteger(HKEY_CURRENT_USER, Scratch, L"TooShort", 7), 7);
    EXPECT_EQ(TReg::ReadInteger(HKEY_CURRENT_USER, Scratch, L"Missing", 7), 7);
    EXPECT_EQ(TReg::ReadInteger(HKEY_CURRENT_USER, Sub(L"Missing"), L"Negative", 7), 7);
}

TEST_F(RegistryTest, ReadBoolIsNonZeroOrTheDefault) {
    TReg::WriteInteger(HKEY_CURRENT_USER, Scratch, L"Zero", 0);
    TReg::WriteInteger(HKEY_CURRENT_USER, Scratch, L"Seven", 7);
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"Text", L"1");

    EXPECT_FALSE(TReg::ReadBool(HKEY_CURRENT_USER, Scratch, L"Zero", true));
    EXPECT_TRUE(TReg::ReadBool(HKEY_CURRENT_USER, Scratch, L"Seven", false));
    EXPECT_TRUE(TReg::ReadBool(HKEY_CURRENT_USER, Scratch, L"Missing", true));
    EXPECT_FALSE(TReg::ReadBool(HKEY_CURRENT_USER, Scratch, L"Missing", false));
    EXPECT_TRUE(TReg::ReadBool(HKEY_CURRENT_USER, Scratch, L"Text", true));
    EXPECT_FALSE(TReg::ReadBool(HKEY_CURRENT_USER, Scratch, L"Text", false));
}

TEST_F(RegistryTest, ReadBinaryReturnsBinaryAndUntypedBytesOnly) {
    const TBytes twelve = BytesOf({3, 0, 0, 0, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80});
    TReg::WriteBinary(HKEY_CURRENT_USER, Scratch, L"Twelve", twelve);
    RawSet(HKEY_CURRENT_USER, Scratch, L"None", REG_NONE, twelve.data(), 5);
    TReg::WriteBinary(HKEY_CURRENT_USER, Scratch, L"Empty", {});
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"Text", L"abc");

    EXPECT_EQ(TReg::ReadBinary(HKEY_CURRENT_USER, Scratch, L"Twelve"), twelve);
    EXPECT_EQ(TReg::ReadBinary(HKEY_CURRENT_USER, Scratch, L"None"), TBytes(twelve.begin(), twelve.begin() + 5));
    ASSERT_TRUE(RawGet(HKEY_CURRENT_USER, Scratch, L"Empty"));  // written, with no data
    EXPECT_THAT(TReg::ReadBinary(HKEY_CURRENT_USER, Scratch, L"Empty"), IsEmpty());
    EXPECT_THAT(TReg::ReadBinary(HKEY_CURRENT_USER, Scratch, L"Text"), IsEmpty());
    EXPECT_THAT(TReg::ReadBinary(HKEY_CURRENT_USER, Scratch, L"Missing"), IsEmpty());
    EXPECT_THAT(TReg::ReadBinary(HKEY_CURRENT_USER, Sub(L"Missing"), L"Twelve"), IsEmpty());
}

TEST_F(RegistryTest, WriteBinaryCreatesMissingKeysAndWritesExactLength) {
    const std::wstring deep = Sub(L"A\\B\\C");
    const TBytes bytes = BytesOf({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    TReg::WriteBinary(HKEY_CURRENT_USER, deep, L"Value", bytes);

    const auto stored = RawGet(HKEY_CURRENT_USER, deep, L"Value");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->Type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(stored->Data, bytes);
}

TEST_F(RegistryTest, WriteStringStoresTerminatingNul) {
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"Text", L"abc");
    const auto stored = RawGet(HKEY_CURRENT_USER, Scratch, L"Text");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->Type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(stored->Data, BytesOf({'a', 0, 'b', 0, 'c', 0, 0, 0}));
}

TEST_F(RegistryTest, WriteIntegerStoresDword) {
    TReg::WriteInteger(HKEY_CURRENT_USER, Scratch, L"Number", 0x01020304);
    const auto stored = RawGet(HKEY_CURRENT_USER, Scratch, L"Number");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->Type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(stored->Data, BytesOf({4, 3, 2, 1}));
}

TEST_F(RegistryTest, DeleteValueRemovesOnlyThatValue) {
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"Gone", L"1");
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"Kept", L"2");
    TReg::DeleteValue(HKEY_CURRENT_USER, Scratch, L"Gone");
    EXPECT_FALSE(RawGet(HKEY_CURRENT_USER, Scratch, L"Gone"));
    EXPECT_TRUE(RawGet(HKEY_CURRENT_USER, Scratch, L"Kept"));
}

TEST_F(RegistryTest, DeleteValueOnMissingKeyCreatesItEmpty) {
    const std::wstring missing = Sub(L"Missing");
    TReg::DeleteValue(HKEY_CURRENT_USER, missing, L"Name");
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, missing));
    std::vector<std::wstring> names;
    EXPECT_EQ(TReg::ReadValueNames(HKEY_CURRENT_USER, missing, names), 0);
    EXPECT_EQ(TReg::ReadKeyNames(HKEY_CURRENT_USER, missing, names), 0);
}

TEST_F(RegistryTest, DeleteKeyRemovesWholeTreeAndNothingElse) {
    for (const wchar_t* path :
         {L"Tree\\A\\A1\\A11", L"Tree\\A\\A2", L"Tree\\B", L"Tree\\C\\C1", L"Tree\\D", L"Tree\\E"}) {
        TReg::WriteString(HKEY_CURRENT_USER, Sub(path), L"Value", path);
    }
    TReg::WriteString(HKEY_CURRENT_USER, Sub(L"Tree"), L"Own", L"x");
    TReg::WriteString(HKEY_CURRENT_USER, Sub(L"Sibling"), L"Value", L"stays");
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"Tree", L"a value of the same name stays");

    TReg::DeleteKey(HKEY_CURRENT_USER, Scratch, L"Tree");

    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Sub(L"Tree")));
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, Sub(L"Sibling")));
    EXPECT_TRUE(RawGet(HKEY_CURRENT_USER, Scratch, L"Tree"));
}

TEST_F(RegistryTest, DeleteKeyOfMissingOrEmptyNameDeletesNothing) {
    TReg::DeleteKey(HKEY_CURRENT_USER, Scratch, L"Missing");
    TReg::DeleteKey(HKEY_CURRENT_USER, Scratch, L"");
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, Scratch));
}

TEST_F(RegistryTest, LeadingBackslashNamesTheSameKey) {
    const std::wstring withSlash = L"\\" + Scratch;
    TReg::WriteString(HKEY_CURRENT_USER, withSlash, L"Written", L"with");
    TReg::WriteString(HKEY_CURRENT_USER, Sub(L"Child"), L"Value", L"x");

    EXPECT_TRUE(TReg::IsKey(HKEY_CURRENT_USER, withSlash));
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, Scratch, L"Written", L""), L"with");
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, withSlash, L"Written", L""), L"with");
    std::vector<std::wstring> names;
    EXPECT_EQ(TReg::ReadKeyNames(HKEY_CURRENT_USER, withSlash, names), 1);
    TReg::DeleteKey(HKEY_CURRENT_USER, withSlash, L"Child");
    TReg::DeleteValue(HKEY_CURRENT_USER, withSlash, L"Written");
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Sub(L"Child")));
    EXPECT_FALSE(RawGet(HKEY_CURRENT_USER, Scratch, L"Written"));
}

TEST_F(RegistryTest, ReadKeyNamesListsDirectSubkeysOnly) {
    TReg::WriteString(HKEY_CURRENT_USER, Sub(L"Beta\\Deeper"), L"", L"x");
    TReg::WriteString(HKEY_CURRENT_USER, Sub(L"Alpha"), L"", L"x");
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"NotAKey", L"x");
    std::vector<std::wstring> names = {L"stale"};

    EXPECT_EQ(TReg::ReadKeyNames(HKEY_CURRENT_USER, Scratch, names), 2);
    EXPECT_THAT(names, UnorderedElementsAre(L"Alpha", L"Beta"));

    names = {L"stale"};
    EXPECT_EQ(TReg::ReadKeyNames(HKEY_CURRENT_USER, Sub(L"Missing"), names), 0);
    EXPECT_THAT(names, IsEmpty());
}

TEST_F(RegistryTest, ReadValueNamesListsDefaultValueAsEmptyName) {
    const std::wstring longName(300, L'n');
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"First", L"1");
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"", L"default");
    TReg::WriteInteger(HKEY_CURRENT_USER, Scratch, longName, 3);
    TReg::WriteString(HKEY_CURRENT_USER, Sub(L"Child"), L"NotHere", L"x");
    std::vector<std::wstring> names = {L"stale"};

    EXPECT_EQ(TReg::ReadValueNames(HKEY_CURRENT_USER, Scratch, names), 3);
    EXPECT_THAT(names, UnorderedElementsAre(L"First", L"", longName));

    names = {L"stale"};
    EXPECT_EQ(TReg::ReadValueNames(HKEY_CURRENT_USER, Sub(L"Missing"), names), 0);
    EXPECT_THAT(names, IsEmpty());
}

TEST_F(RegistryTest, ReaderGivesEveryValueAsReadStringWouldInOnePass) {
    const std::wstring longText(5000, L'x');
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"Text", L"%ProgramFiles%\\a.exe");
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"", L"default");
    TReg::WriteInteger(HKEY_CURRENT_USER, Scratch, L"Number", 7);
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"Long", longText);
    const wchar_t unterminated[] = {L'a', L'b'};
    RawSet(HKEY_CURRENT_USER, Scratch, L"Raw", REG_EXPAND_SZ, unterminated, sizeof unterminated);

    std::vector<std::wstring> names;
    TReg::ReadValueNames(HKEY_CURRENT_USER, Scratch, names);
    const auto values = TRegReader(HKEY_CURRENT_USER, Scratch).StringValues();
    ASSERT_EQ(values.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(values[i].first, names[i]);
        EXPECT_EQ(values[i].second, TReg::ReadString(HKEY_CURRENT_USER, Scratch, names[i], L"unused"));
    }
    EXPECT_TRUE(TRegReader(HKEY_CURRENT_USER, Sub(L"Missing")).StringValues().empty());
}

TEST_F(RegistryTest, EmptyKeyPathNamesTheRoot) {
    std::vector<std::wstring> names;
    TReg::ReadKeyNames(HKEY_CURRENT_USER, L"", names);
    EXPECT_THAT(names, ::testing::Contains(L"Software"));

    const std::wstring name = L"QuillonTests" + Id;
    TReg::WriteString(HKEY_CURRENT_USER, L"", name, L"at the root");
    EXPECT_EQ(RawGet(HKEY_CURRENT_USER, L"", name)->Data.size(), sizeof L"at the root");
    EXPECT_EQ(TReg::ReadString(HKEY_CURRENT_USER, L"", name, L""), L"at the root");
    TReg::DeleteValue(HKEY_CURRENT_USER, L"", name);
    EXPECT_FALSE(RawGet(HKEY_CURRENT_USER, L"", name));
}

struct TParseCase {
    const wchar_t* Text;
    bool Parsed;
    HKEY Root;
    const wchar_t* Key;
    const wchar_t* Name;
};

TEST(RegistryParse, SplitsRootKeyAndName) {
    const HKEY untouched = reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234));
    const TParseCase cases[] = {
        {L"", false, untouched, L"", L""},
        {L"HKLM", false, untouched, L"", L""},
        {L"HKLM\\Tool", false, untouched, L"", L""},
        {L"HKCU\\Software\\Tool", true, HKEY_CURRENT_USER, L"Software", L"Tool"},
        {L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Tool", true, HKEY_LOCAL_MACHINE,
         L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Tool"},
        {L"hklm\\Software\\Tool", true, HKEY_LOCAL_MACHINE, L"Software", L"Tool"},
        {L"HKEY_Current_User\\Software\\Tool", true, HKEY_CURRENT_USER, L"Software", L"Tool"},
        {L"HKU\\.DEFAULT\\Software\\Tool", true, HKEY_USERS, L".DEFAULT\\Software", L"Tool"},
        {L"Bogus\\Software\\Tool", true, nullptr, L"Software", L"Tool"},
        {L"HKLM\\\\Tool", true, HKEY_LOCAL_MACHINE, L"", L"Tool"},
        {L"HKLM\\Software\\\\Tool", true, HKEY_LOCAL_MACHINE, L"Software\\", L"Tool"},
        {L"HKLM\\Software\\Run\\", true, HKEY_LOCAL_MACHINE, L"Software\\Run", L""},
        {L"HKLM\\Software\\Run\\Tool name with spaces.exe", true, HKEY_LOCAL_MACHINE, L"Software\\Run",
         L"Tool name with spaces.exe"},
    };
    for (const TParseCase& testCase : cases) {
        SCOPED_TRACE(testing::Message() << "text: " << ::testing::PrintToString(std::wstring(testCase.Text)));
        HKEY root = untouched;
        std::wstring key = L"old key";
        std::wstring name = L"old name";
        EXPECT_EQ(TReg::Parse(testCase.Text, root, key, name), testCase.Parsed);
        EXPECT_EQ(root, testCase.Root);
        EXPECT_EQ(key, testCase.Key);
        EXPECT_EQ(name, testCase.Name);
    }
}

TEST_F(RegistryTest, DeleteByPathRemovesSubkeyTreeOrValue) {
    TReg::WriteString(HKEY_CURRENT_USER, Sub(L"Run\\Tool\\Deep"), L"Value", L"x");
    TReg::WriteString(HKEY_CURRENT_USER, Sub(L"Run"), L"Other", L"stays");
    TReg::WriteString(HKEY_CURRENT_USER, Sub(L"Run"), L"Entry", L"goes");

    TReg::Delete(L"HKCU\\" + Sub(L"Run\\Tool"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Sub(L"Run\\Tool")));
    EXPECT_TRUE(RawGet(HKEY_CURRENT_USER, Sub(L"Run"), L"Entry"));

    TReg::Delete(L"hkey_current_user\\" + Sub(L"Run\\Entry"));
    EXPECT_FALSE(RawGet(HKEY_CURRENT_USER, Sub(L"Run"), L"Entry"));
    EXPECT_TRUE(RawGet(HKEY_CURRENT_USER, Sub(L"Run"), L"Other"));
    EXPECT_TRUE(RawKeyExists(HKEY_CURRENT_USER, Sub(L"Run")));
}

TEST_F(RegistryTest, DeleteByPathPrefersSubkeyOverValueOfSameName) {
    TReg::WriteString(HKEY_CURRENT_USER, Sub(L"Both"), L"Inside", L"x");
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"Both", L"value");

    TReg::Delete(L"HKCU\\" + Sub(L"Both"));
    EXPECT_FALSE(RawKeyExists(HKEY_CURRENT_USER, Sub(L"Both")));
    EXPECT_TRUE(RawGet(HKEY_CURRENT_USER, Scratch, L"Both"));
}

TEST_F(RegistryTest, DeleteByUnparsablePathDoesNothing) {
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"Kept", L"x");
    TReg::Delete(L"HKCU\\Kept");
    TReg::Delete(L"");
    EXPECT_TRUE(RawGet(HKEY_CURRENT_USER, Scratch, L"Kept"));
}

TEST(RegistryRootNames, RootKeyToText) {
    const struct {
        HKEY Root;
        const wchar_t* Short;
        const wchar_t* Long;
    } cases[] = {
        {HKEY_CLASSES_ROOT, L"HKCR", L"HKEY_CLASSES_ROOT"},
        {HKEY_CURRENT_USER, L"HKCU", L"HKEY_CURRENT_USER"},
        {HKEY_LOCAL_MACHINE, L"HKLM", L"HKEY_LOCAL_MACHINE"},
        {HKEY_USERS, L"HKU", L"HKEY_USERS"},
        {HKEY_PERFORMANCE_DATA, L"HKEY_PERFORMANCE_DATA", L"HKEY_PERFORMANCE_DATA"},
        {HKEY_CURRENT_CONFIG, L"HKEY_CURRENT_CONFIG", L"HKEY_CURRENT_CONFIG"},
        {HKEY_DYN_DATA, L"HKEY_DYN_DATA", L"HKEY_DYN_DATA"},
        {nullptr, L"", L""},
        {HKEY_CURRENT_USER_LOCAL_SETTINGS, L"", L""},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(RootKeyToText(testCase.Root, true), testCase.Short);
        EXPECT_EQ(RootKeyToText(testCase.Root, false), testCase.Long);
    }
}

TEST(RegistryRootNames, TextToRootKey) {
    const struct {
        const wchar_t* Text;
        HKEY Root;
    } cases[] = {
        {L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
        {L"HKCR", HKEY_CLASSES_ROOT},
        {L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
        {L"hkcu", HKEY_CURRENT_USER},
        {L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
        {L"HkLm", HKEY_LOCAL_MACHINE},
        {L"HKEY_USERS", HKEY_USERS},
        {L"HKU", HKEY_USERS},
        {L"hkey_current_config", HKEY_CURRENT_CONFIG},
        {L"HKEY_PERFORMANCE_DATA", HKEY_PERFORMANCE_DATA},
        {L"HKEY_DYN_DATA", HKEY_DYN_DATA},
        {L"HKCC", nullptr},
        {L"HKLM ", nullptr},
        {L"", nullptr},
        {L"HKEY_LOCAL_MACHINE\\Software", nullptr},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(TextToRootKey(testCase.Text), testCase.Root) << ::testing::PrintToString(std::wstring(testCase.Text));
    }
}

TEST_F(RegistryTest, WorksInTheNativeViewAndReachesThe32BitViewByName) {
    TReg::WriteString(HKEY_LOCAL_MACHINE, Scratch, L"Native", L"64");
    const auto native = RawGet(HKEY_LOCAL_MACHINE, Scratch, L"Native", KEY_WOW64_64KEY);
    ASSERT_TRUE(native);
    EXPECT_EQ(native->Data.size(), sizeof L"64");
    EXPECT_FALSE(RawKeyExists(HKEY_LOCAL_MACHINE, Scratch, KEY_WOW64_32KEY));

    TReg::WriteString(HKEY_LOCAL_MACHINE, Scratch32, L"Redirected", L"32");
    EXPECT_TRUE(RawGet(HKEY_LOCAL_MACHINE, Scratch, L"Redirected", KEY_WOW64_32KEY));
    EXPECT_FALSE(RawGet(HKEY_LOCAL_MACHINE, Scratch, L"Redirected", KEY_WOW64_64KEY));
    EXPECT_EQ(TReg::ReadString(HKEY_LOCAL_MACHINE, Scratch32, L"Redirected", L""), L"32");
    EXPECT_EQ(TReg::ReadString(HKEY_LOCAL_MACHINE, Scratch, L"Native", L""), L"64");
}

// A value that changes size while it is read gives one of its contents,
// never a torn or overflowing read.
TEST_F(RegistryTest, ReadStringOfValueChangingSizeGivesOneWholeVersion) {
    const std::wstring shortText = L"s";
    const std::wstring longText(5000, L'L');
    TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"Flip", shortText);
    std::atomic<bool> stop = false;
    std::thread writer([&] {
        for (bool useLong = true; !stop; useLong = !useLong) {
            TReg::WriteString(HKEY_CURRENT_USER, Scratch, L"Flip", useLong ? longText : shortText);
        }
    });
    int unexpected = 0;
    for (int round = 0; round < 2000; ++round) {
        const std::wstring read = TReg::ReadString(HKEY_CURRENT_USER, Scratch, L"Flip", L"default");
        if (read != shortText && read != longText && !read.empty()) ++unexpected;
    }
    stop = true;
    writer.join();
    EXPECT_EQ(unexpected, 0);
}

}  // namespace
}  // namespace quillon
