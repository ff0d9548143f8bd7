#include "platform/registry.h"

#include "platform/text.h"
#include "platform/unique_handle.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <utility>

namespace quillon {
namespace {

// Every open carries the 64-bit view flag so that a 32-bit build sees the
// native keys; the 32-bit view is reached by naming Wow6432Node.
constexpr REGSAM kViewFlag = KEY_WOW64_64KEY;
constexpr REGSAM kWriteAccess = KEY_READ | KEY_WRITE | kViewFlag;
constexpr REGSAM kQueryAccess = READ_CONTROL | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | kViewFlag;

// Reads fall back to ever smaller rights, so that a key readable only in
// part still yields what it can.
constexpr std::array<REGSAM, 3> kReadAccessSteps = {
    KEY_READ | kViewFlag,
    kQueryAccess,
    KEY_QUERY_VALUE | kViewFlag,
};

// A value that keeps changing size between our size query and the read is
// given up after this many tries rather than chased for ever.
constexpr int kMaxReadAttempts = 8;

// The registry's own limits on name lengths, without the terminating NUL;
// used when a name grew after the key's longest name was asked.
constexpr DWORD kMaxKeyNameLength = 255;
constexpr DWORD kMaxValueNameLength = 16383;

const wchar_t* KeyPath(const std::wstring& Key) {
    return Key.c_str() + (!Key.empty() && Key.front() == L'\\' ? 1 : 0);
}

// Whatever a failed call leaves in its out-parameter is no handle, so the
// owner takes the key only on success.
UniqueHKey OpenKey(HKEY Parent, const wchar_t* SubKey, REGSAM Access) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(Parent, SubKey, 0, Access, &opened) != ERROR_SUCCESS) return {};
    return UniqueHKey(opened);
}

UniqueHKey OpenForReading(HKEY RootKey, const std::wstring& Key) {
    for (REGSAM Access : kReadAccessSteps) {
        if (UniqueHKey Opened = OpenKey(RootKey, KeyPath(Key), Access)) return Opened;
    }
    return {};
}

// Creates the key and every missing key above it; an empty path gives a new
// handle to the root itself.
UniqueHKey OpenForWriting(HKEY RootKey, const std::wstring& Key) {
    HKEY opened = nullptr;
    if (::RegCreateKeyExW(RootKey, KeyPath(Key), 0, nullptr, REG_OPTION_NON_VOLATILE, kWriteAccess, nullptr, &opened,
                          nullptr) != ERROR_SUCCESS) {
        return {};
    }
    return UniqueHKey(opened);
}

struct TValueData {
    DWORD Type = REG_NONE;
    TBytes Data;
};

// The value's type and bytes; nothing when it is missing or cannot be read.
// Most values are short, so the first call offers a modest buffer and
// usually reads the value whole; a "more data" answer (a longer value, or
// one that grew meanwhile) starts another round with the size it reports.
std::optional<TValueData> QueryValue(HKEY Key, const std::wstring& Name) {
    TValueData Value;
    DWORD Size = 256;
    for (int Attempt = 0; Attempt < kMaxReadAttempts; ++Attempt) {
        Value.Data.resize(Size);
        DWORD Received = Size;
        const LONG Status = ::RegQueryValueExW(Key, Name.c_str(), nullptr, &Value.Type, Value.Data.data(), &Received);
        if (Status == ERROR_SUCCESS) {
            Value.Data.resize(std::min(Received, Size));
            return Value;
        }
        if (Status != ERROR_MORE_DATA) return std::nullopt;
        // Not every key reports the size it needs (performance data does
        // not), so grow by hand when the answer is no larger.
        Size = Received > Size ? Received : Size * 2;
    }
    return std::nullopt;
}

std::optional<TValueData> ReadValue(HKEY RootKey, const std::wstring& Key, const std::wstring& Name) {
    const UniqueHKey Opened = OpenForReading(RootKey, Key);
    if (!Opened) return std::nullopt;
    return QueryValue(Opened.get(), Name);
}

bool IsBinaryType(DWORD Type) {
    switch (Type) {
    case REG_BINARY:
    case REG_NONE:
    case REG_RESOURCE_LIST:
    case REG_FULL_RESOURCE_DESCRIPTOR:
    case REG_RESOURCE_REQUIREMENTS_LIST:
        return true;
    default:
        return false;
    }
}

// Stored text need not end with a NUL, may hold an odd byte count and may
// carry data after a NUL; the text is what comes before the first NUL.
std::wstring TextOf(const TBytes& Data) {
    std::wstring Text(Data.size() / sizeof(wchar_t), L'\0');
    if (!Text.empty()) std::memcpy(Text.data(), Data.data(), Text.size() * sizeof(wchar_t));
    if (const auto End = Text.find(L'\0'); End != std::wstring::npos) Text.resize(End);
    return Text;
}

enum class TNameKind { Subkeys, Values };

LONG EnumName(HKEY Key, TNameKind Kind, DWORD Index, std::vector<wchar_t>& Buffer, DWORD& Length) {
    Length = static_cast<DWORD>(Buffer.size());
    return Kind == TNameKind::Subkeys
               ? ::RegEnumKeyExW(Key, Index, Buffer.data(), &Length, nullptr, nullptr, nullptr, nullptr)
               : ::RegEnumValueW(Key, Index, Buffer.data(), &Length, nullptr, nullptr, nullptr, nullptr);
}

// The names in index order, with a buffer sized from the longest name.
std::vector<std::wstring> EnumNames(HKEY Key, TNameKind Kind) {
    DWORD Count = 0;
    DWORD MaxLength = 0;
    const bool Subkeys = Kind == TNameKind::Subkeys;
    if (::RegQueryInfoKeyW(Key, nullptr, nullptr, nullptr, Subkeys ? &Count : nullptr, Subkeys ? &MaxLength : nullptr,
                           nullptr, Subkeys ? nullptr : &Count, Subkeys ? nullptr : &MaxLength, nullptr, nullptr,
                           nullptr) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<std::wstring> Names;
    Names.reserve(Count);
    std::vector<wchar_t> Buffer(MaxLength + 1);
    for (DWORD Index = 0; Index < Count; ++Index) {
        DWORD Length = 0;
        LONG Status = EnumName(Key, Kind, Index, Buffer, Length);
        if (Status == ERROR_MORE_DATA) {
            // The name was replaced by a longer one since the count was taken.
            Buffer.resize(std::max<std::size_t>(Buffer.size(), (Subkeys ? kMaxKeyNameLength : kMaxValueNameLength) + 1));
            Status = EnumName(Key, Kind, Index, Buffer, Length);
        }
        if (Status == ERROR_NO_MORE_ITEMS) break;
        if (Status == ERROR_SUCCESS) Names.emplace_back(Buffer.data(), std::min<std::size_t>(Length, Buffer.size()));
    }
    return Names;
}

int ReadNames(HKEY RootKey, const std::wstring& Key, TNameKind Kind, std::vector<std::wstring>& Names) {
    Names.clear();
    if (const UniqueHKey Opened = OpenForReading(RootKey, Key)) Names = EnumNames(Opened.get(), Kind);
    return static_cast<int>(Names.size());
}

void SetValue(HKEY RootKey, const std::wstring& Key, const std::wstring& Name, DWORD Type, const void* Data,
              std::size_t Size) {
    if (Size > MAXDWORD) return;
    if (const UniqueHKey Opened = OpenForWriting(RootKey, Key)) {
        ::RegSetValueExW(Opened.get(), Name.c_str(), 0, Type, static_cast<const BYTE*>(Data),
                         static_cast<DWORD>(Size));
    }
}

// Depth first: the subkeys from the last index to the first, then the key.
void DeleteTree(HKEY Parent, const std::wstring& Name) {
    if (const UniqueHKey Opened = OpenKey(Parent, Name.c_str(), kWriteAccess)) {
        const std::vector<std::wstring> Subkeys = EnumNames(Opened.get(), TNameKind::Subkeys);
        for (auto Subkey = Subkeys.rbegin(); Subkey != Subkeys.rend(); ++Subkey) DeleteTree(Opened.get(), *Subkey);
    }
    ::RegDeleteKeyExW(Parent, Name.c_str(), kViewFlag, 0);
}

struct TRootName {
    HKEY Root;
    const wchar_t* ShortName;  // nullptr where the root has none
    const wchar_t* LongName;
};

// In the order in which TextToRootKey compares. A function-local table, as
// the root handles are no constants and other units' start-up code may ask.
const std::array<TRootName, 7>& RootNames() {
    static const std::array<TRootName, 7> Names = {{
        {HKEY_CLASSES_ROOT, L"HKCR", L"HKEY_CLASSES_ROOT"},
        {HKEY_CURRENT_USER, L"HKCU", L"HKEY_CURRENT_USER"},
        {HKEY_LOCAL_MACHINE, L"HKLM", L"HKEY_LOCAL_MACHINE"},
        {HKEY_USERS, L"HKU", L"HKEY_USERS"},
        {HKEY_CURRENT_CONFIG, nullptr, L"HKEY_CURRENT_CONFIG"},
        {HKEY_PERFORMANCE_DATA, nullptr, L"HKEY_PERFORMANCE_DATA"},
        {HKEY_DYN_DATA, nullptr, L"HKEY_DYN_DATA"},
    }};
    return Names;
}

}  // namespace

bool TReg::IsKey(HKEY RootKey, const std::wstring& Key) {
    return static_cast<bool>(OpenKey(RootKey, KeyPath(Key), kQueryAccess));
}

TRegReader::TRegReader(HKEY RootKey, const std::wstring& Key) : FKey(OpenForReading(RootKey, Key)) {}

TRegReader::~TRegReader() = default;

std::vector<std::wstring> TRegReader::ValueNames() const {
    return FKey ? EnumNames(FKey.get(), TNameKind::Values) : std::vector<std::wstring>{};
}

std::vector<std::pair<std::wstring, std::wstring>> TRegReader::StringValues() const {
    std::vector<std::pair<std::wstring, std::wstring>> Values;
    DWORD Count = 0;
    DWORD MaxName = 0;
    DWORD MaxData = 0;
    if (!FKey || ::RegQueryInfoKeyW(FKey.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &Count, &MaxName,
                                    &MaxData, nullptr, nullptr) != ERROR_SUCCESS) {
        return Values;
    }
    Values.reserve(Count);
    std::vector<wchar_t> Name(MaxName + 1);
    TBytes Data(MaxData);
    for (DWORD Index = 0; Index < Count; ++Index) {
        DWORD NameLength = static_cast<DWORD>(Name.size());
        DWORD Type = REG_NONE;
        DWORD Size = static_cast<DWORD>(Data.size());
        const LONG Status =
            ::RegEnumValueW(FKey.get(), Index, Name.data(), &NameLength, nullptr, &Type, Data.data(), &Size);
        if (Status == ERROR_NO_MORE_ITEMS) break;
        if (Status == ERROR_MORE_DATA || (Status == ERROR_SUCCESS && Size > Data.size())) {
            // The key changed since it was measured: this value the slow way.
            std::vector<std::wstring> Names = EnumNames(FKey.get(), TNameKind::Values);
            if (Index < Names.size()) Values.emplace_back(Names[Index], ReadString(Names[Index]));
            continue;
        }
        if (Status != ERROR_SUCCESS) continue;
        std::wstring Text;
        if (Type == REG_SZ || Type == REG_EXPAND_SZ) Text = TextOf(TBytes(Data.begin(), Data.begin() + Size));
        Values.emplace_back(std::wstring(Name.data(), NameLength), std::move(Text));
    }
    return Values;
}

std::wstring TRegReader::ReadString(const std::wstring& Name) const {
    if (!FKey) return {};
    const std::optional<TValueData> Stored = QueryValue(FKey.get(), Name);
    if (!Stored || (Stored->Type != REG_SZ && Stored->Type != REG_EXPAND_SZ)) return {};
    return TextOf(Stored->Data);
}

TBytes TRegReader::ReadBinary(const std::wstring& Name) const {
    if (!FKey) return {};
    std::optional<TValueData> Value = QueryValue(FKey.get(), Name);
    if (!Value || !IsBinaryType(Value->Type)) return {};
    return std::move(Value->Data);
}

TBytes TReg::ReadBinary(HKEY RootKey, const std::wstring& Key, const std::wstring& Name) {
    return TRegReader(RootKey, Key).ReadBinary(Name);
}

bool TReg::ReadBool(HKEY RootKey, const std::wstring& Key, const std::wstring& Name, bool Value) {
    return ReadInteger(RootKey, Key, Name, Value ? 1 : 0) != 0;
}

std::int32_t TReg::ReadInteger(HKEY RootKey, const std::wstring& Key, const std::wstring& Name, std::int32_t Value) {
    const std::optional<TValueData> Stored = ReadValue(RootKey, Key, Name);
    if (!Stored || (Stored->Type != REG_DWORD && Stored->Type != REG_DWORD_BIG_ENDIAN)) return Value;
    // Any other size is not a number we can take as it is.
    if (Stored->Data.size() != sizeof(std::int32_t)) return Value;
    std::int32_t Number = 0;
    std::memcpy(&Number, Stored->Data.data(), sizeof Number);
    return Number;
}

std::wstring TReg::ReadString(HKEY RootKey, const std::wstring& Key, const std::wstring& Name,
                              const std::wstring& Value) {
    const TRegReader Reader(RootKey, Key);
    return Reader ? Reader.ReadString(Name) : Value;
}

int TReg::ReadKeyNames(HKEY RootKey, const std::wstring& Key, std::vector<std::wstring>& KeyNames) {
    return ReadNames(RootKey, Key, TNameKind::Subkeys, KeyNames);
}

int TReg::ReadValueNames(HKEY RootKey, const std::wstring& Key, std::vector<std::wstring>& ValueNames) {
    return ReadNames(RootKey, Key, TNameKind::Values, ValueNames);
}

void TReg::WriteBinary(HKEY RootKey, const std::wstring& Key, const std::wstring& Name,
                       std::span<const std::uint8_t> Value) {
    SetValue(RootKey, Key, Name, REG_BINARY, Value.data(), Value.size());
}

void TReg::WriteInteger(HKEY RootKey, const std::wstring& Key, const std::wstring& Name, std::int32_t Value) {
    SetValue(RootKey, Key, Name, REG_DWORD, &Value, sizeof Value);
}

void TReg::WriteString(HKEY RootKey, const std::wstring& Key, const std::wstring& Name, const std::wstring& Value) {
    SetValue(RootKey, Key, Name, REG_SZ, Value.c_str(), (Value.size() + 1) * sizeof(wchar_t));
}

void TReg::DeleteKey(HKEY RootKey, const std::wstring& Key, const std::wstring& Name) {
    const UniqueHKey Opened = OpenForWriting(RootKey, Key);
    // An empty name would make the registry delete the opened key itself.
    if (!Opened || Name.empty()) return;
    DeleteTree(Opened.get(), Name);
}

void TReg::DeleteValue(HKEY RootKey, const std::wstring& Key, const std::wstring& Name) {
    if (const UniqueHKey Opened = OpenForWriting(RootKey, Key)) ::RegDeleteValueW(Opened.get(), Name.c_str());
}

bool TReg::Parse(std::wstring_view Text, HKEY& RootKey, std::wstring& Key, std::wstring& Name) {
    Key.clear();
    Name.clear();
    const auto First = Text.find(L'\\');
    const auto Last = Text.rfind(L'\\');
    if (First == std::wstring_view::npos || First == Last) return false;  // fewer than three parts
    RootKey = TextToRootKey(Text.substr(0, First));
    Key = Text.substr(First + 1, Last - First - 1);
    Name = Text.substr(Last + 1);
    return true;
}

void TReg::Delete(std::wstring_view Text) {
    HKEY RootKey = nullptr;
    std::wstring Key;
    std::wstring Name;
    if (!Parse(Text, RootKey, Key, Name)) return;
    if (IsKey(RootKey, Key + L'\\' + Name)) {
        DeleteKey(RootKey, Key, Name);
    } else {
        DeleteValue(RootKey, Key, Name);
    }
}

std::wstring RootKeyToText(HKEY RootKey, bool Short) {
    for (const TRootName& Entry : RootNames()) {
        if (Entry.Root == RootKey) return (Short && Entry.ShortName) ? Entry.ShortName : Entry.LongName;
    }
    return {};
}

HKEY TextToRootKey(std::wstring_view Text) {
    for (const TRootName& Entry : RootNames()) {
        if (EqualsIgnoringAsciiCase(Text, Entry.LongName) || (Entry.ShortName && EqualsIgnoringAsciiCase(Text, Entry.ShortName))) {
            return Entry.Root;
        }
    }
    return nullptr;
}

}  // namespace quillon
