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

const wchar_t* KeyPath(const std::wstring& Key) { return Key.c_str() + (!Key.empty() && Key.front() == L'\\' ? 1 : 0); }

// Whatever a failed call leaves in its out-parameter is no handle, so the
// owner takes the key only on success.
UniqueHKey OpenKey(HKEY Parent, const wchar_t* SubKey, REGSAM Access) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(Parent, SubKey, 0, Access, &opened) != ERROR_SUCCESS) return {};
    return UniqueHKey(opened);
}

UniqueHKey OpenForReading(HKEY RootKey, const std::wstring& Key) {
    for (REGSAM access : kReadAccessSteps) {
        if (UniqueHKey opened = OpenKey(RootKey, KeyPath(Key), access)) return opened;
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
    TValueData value;
    DWORD size = 256;
    for (int attempt = 0; attempt < kMaxReadAttempts; ++attempt) {
        value.Data.resize(size);
        DWORD received = size;
        const LONG status = ::RegQueryValueExW(Key, Name.c_str(), nullptr, &value.Type, value.Data.data(), &received);
        if (status == ERROR_SUCCESS) {
            value.Data.resize(std::min(received, size));
            return value;
        }
        if (status != ERROR_MORE_DATA) return std::nullopt;
        // Not every key reports the size it needs (performance data does
        // not), so grow by hand when the answer is no larger.
        size = received > size ? received : size * 2;
    }
    return std::nullopt;
}

std::optional<TValueData> ReadValue(HKEY RootKey, const std::wstring& Key, const std::wstring& Name) {
    const UniqueHKey opened = OpenForReading(RootKey, Key);
    if (!opened) return std::nullopt;
    return QueryValue(opened.get(), Name);
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
    std::wstring text(Data.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) std::memcpy(text.data(), Data.data(), text.size() * sizeof(wchar_t));
    if (const auto end = text.find(L'\0'); end != std::wstring::npos) text.resize(end);
    return text;
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
    DWORD count = 0;
    DWORD maxLength = 0;
    const bool subkeys = Kind == TNameKind::Subkeys;
    if (::RegQueryInfoKeyW(Key, nullptr, nullptr, nullptr, subkeys ? &count : nullptr, subkeys ? &maxLength : nullptr,
                           nullptr, subkeys ? nullptr : &count, subkeys ? nullptr : &maxLength, nullptr, nullptr,
                           nullptr) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<std::wstring> names;
    names.reserve(count);
    std::vector<wchar_t> buffer(maxLength + 1);
    for (DWORD index = 0; index < count; ++index) {
        DWORD length = 0;
        LONG status = EnumName(Key, Kind, index, buffer, length);
        if (status == ERROR_MORE_DATA) {
            // The name was replaced by a longer one since the count was taken.
            buffer.resize(
                std::max<std::size_t>(buffer.size(), (subkeys ? kMaxKeyNameLength : kMaxValueNameLength) + 1));
            status = EnumName(Key, Kind, index, buffer, length);
        }
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_SUCCESS) names.emplace_back(buffer.data(), std::min<std::size_t>(length, buffer.size()));
    }
    return names;
}

int ReadNames(HKEY RootKey, const std::wstring& Key, TNameKind Kind, std::vector<std::wstring>& Names) {
    Names.clear();
    if (const UniqueHKey opened = OpenForReading(RootKey, Key)) Names = EnumNames(opened.get(), Kind);
    return static_cast<int>(Names.size());
}

void SetValue(HKEY RootKey, const std::wstring& Key, const std::wstring& Name, DWORD Type, const void* Data,
              std::size_t Size) {
    if (Size > MAXDWORD) return;
    if (const UniqueHKey opened = OpenForWriting(RootKey, Key)) {
        ::RegSetValueExW(opened.get(), Name.c_str(), 0, Type, static_cast<const BYTE*>(Data), static_cast<DWORD>(Size));
    }
}

// Depth first: the subkeys from the last index to the first, then the key.
void DeleteTree(HKEY Parent, const std::wstring& Name) {
    if (const UniqueHKey opened = OpenKey(Parent, Name.c_str(), kWriteAccess)) {
        const std::vector<std::wstring> subkeys = EnumNames(opened.get(), TNameKind::Subkeys);
        for (auto subkey = subkeys.rbegin(); subkey != subkeys.rend(); ++subkey) DeleteTree(opened.get(), *subkey);
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
    static const std::array<TRootName, 7> kNames = {{
        {HKEY_CLASSES_ROOT, L"HKCR", L"HKEY_CLASSES_ROOT"},
        {HKEY_CURRENT_USER, L"HKCU", L"HKEY_CURRENT_USER"},
        {HKEY_LOCAL_MACHINE, L"HKLM", L"HKEY_LOCAL_MACHINE"},
        {HKEY_USERS, L"HKU", L"HKEY_USERS"},
        {HKEY_CURRENT_CONFIG, nullptr, L"HKEY_CURRENT_CONFIG"},
        {HKEY_PERFORMANCE_DATA, nullptr, L"HKEY_PERFORMANCE_DATA"},
        {HKEY_DYN_DATA, nullptr, L"HKEY_DYN_DATA"},
    }};
    return kNames;
}

}  // namespace

bool TReg::IsKey(HKEY RootKey, const std::wstring& Key) {
    return static_cast<bool>(OpenKey(RootKey, KeyPath(Key), kQueryAccess));
}

bool TReg::ValueExists(HKEY RootKey, const std::wstring& Key, const std::wstring& Name) {
    const UniqueHKey opened = OpenForReading(RootKey, Key);
    return opened &&
           ::RegQueryValueExW(opened.get(), Name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

TRegReader::TRegReader(HKEY RootKey, const std::wstring& Key) : FKey(OpenForReading(RootKey, Key)) {}

TRegReader::~TRegReader() = default;

std::vector<std::wstring> TRegReader::ValueNames() const {
    return FKey ? EnumNames(FKey.get(), TNameKind::Values) : std::vector<std::wstring>{};
}

std::vector<TRegValue> TRegReader::Values() const {
    std::vector<TRegValue> values;
    DWORD count = 0;
    DWORD maxName = 0;
    DWORD maxData = 0;
    if (!FKey || ::RegQueryInfoKeyW(FKey.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxName,
                                    &maxData, nullptr, nullptr) != ERROR_SUCCESS) {
        return values;
    }
    values.reserve(count);
    std::vector<wchar_t> name(maxName + 1);
    TBytes data(maxData);
    for (DWORD index = 0; index < count; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = REG_NONE;
        DWORD size = static_cast<DWORD>(data.size());
        const LONG status =
            ::RegEnumValueW(FKey.get(), index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && size > data.size())) {
            // The key changed since it was measured: this value the slow way.
            const std::vector<std::wstring> names = EnumNames(FKey.get(), TNameKind::Values);
            if (index >= names.size()) continue;
            if (std::optional<TValueData> value = QueryValue(FKey.get(), names[index])) {
                values.push_back({names[index], value->Type, std::move(value->Data)});
            }
            continue;
        }
        if (status != ERROR_SUCCESS) continue;
        values.push_back({std::wstring(name.data(), nameLength), type, TBytes(data.begin(), data.begin() + size)});
    }
    return values;
}

std::vector<std::pair<std::wstring, std::wstring>> TRegReader::StringValues() const {
    std::vector<std::pair<std::wstring, std::wstring>> texts;
    std::vector<TRegValue> values = Values();
    texts.reserve(values.size());
    for (TRegValue& value : values) {
        const bool isText = value.Type == REG_SZ || value.Type == REG_EXPAND_SZ;
        texts.emplace_back(std::move(value.Name), isText ? TextOf(value.Data) : std::wstring());
    }
    return texts;
}

std::vector<std::pair<std::wstring, TBytes>> TRegReader::BinaryValues() const {
    std::vector<std::pair<std::wstring, TBytes>> binaries;
    std::vector<TRegValue> values = Values();
    binaries.reserve(values.size());
    for (TRegValue& value : values) {
        // What ReadBinary gives: an empty array for a value of another type.
        binaries.emplace_back(std::move(value.Name), IsBinaryType(value.Type) ? std::move(value.Data) : TBytes());
    }
    return binaries;
}

std::wstring TRegReader::ReadString(const std::wstring& Name) const {
    if (!FKey) return {};
    const std::optional<TValueData> stored = QueryValue(FKey.get(), Name);
    if (!stored || (stored->Type != REG_SZ && stored->Type != REG_EXPAND_SZ)) return {};
    return TextOf(stored->Data);
}

TBytes TRegReader::ReadBinary(const std::wstring& Name) const {
    if (!FKey) return {};
    std::optional<TValueData> value = QueryValue(FKey.get(), Name);
    if (!value || !IsBinaryType(value->Type)) return {};
    return std::move(value->Data);
}

TBytes TReg::ReadBinary(HKEY RootKey, const std::wstring& Key, const std::wstring& Name) {
    return TRegReader(RootKey, Key).ReadBinary(Name);
}

bool TReg::ReadBool(HKEY RootKey, const std::wstring& Key, const std::wstring& Name, bool Value) {
    return ReadInteger(RootKey, Key, Name, Value ? 1 : 0) != 0;
}

std::int32_t TReg::ReadInteger(HKEY RootKey, const std::wstring& Key, const std::wstring& Name, std::int32_t Value) {
    const std::optional<TValueData> stored = ReadValue(RootKey, Key, Name);
    if (!stored || (stored->Type != REG_DWORD && stored->Type != REG_DWORD_BIG_ENDIAN)) return Value;
    // Any other size is not a number we can take as it is.
    if (stored->Data.size() != sizeof(std::int32_t)) return Value;
    std::int32_t number = 0;
    std::memcpy(&number, stored->Data.data(), sizeof number);
    return number;
}

std::wstring TReg::ReadString(HKEY RootKey, const std::wstring& Key, const std::wstring& Name,
                              const std::wstring& Value) {
    const TRegReader reader(RootKey, Key);
    return reader ? reader.ReadString(Name) : Value;
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
    const UniqueHKey opened = OpenForWriting(RootKey, Key);
    // An empty name would make the registry delete the opened key itself.
    if (!opened || Name.empty()) return;
    DeleteTree(opened.get(), Name);
}

void TReg::DeleteValue(HKEY RootKey, const std::wstring& Key, const std::wstring& Name) {
    if (const UniqueHKey opened = OpenForWriting(RootKey, Key)) ::RegDeleteValueW(opened.get(), Name.c_str());
}

bool TReg::Parse(std::wstring_view Text, HKEY& RootKey, std::wstring& Key, std::wstring& Name) {
    Key.clear();
    Name.clear();
    const auto first = Text.find(L'\\');
    const auto last = Text.rfind(L'\\');
    if (first == std::wstring_view::npos || first == last) return false;  // fewer than three parts
    RootKey = TextToRootKey(Text.substr(0, first));
    Key = Text.substr(first + 1, last - first - 1);
    Name = Text.substr(last + 1);
    return true;
}

void TReg::Delete(std::wstring_view Text) {
    HKEY rootKey = nullptr;
    std::wstring key;
    std::wstring name;
    if (!Parse(Text, rootKey, key, name)) return;
    if (IsKey(rootKey, key + L'\\' + name)) {
        DeleteKey(rootKey, key, name);
    } else {
        DeleteValue(rootKey, key, name);
    }
}

std::wstring FoldRegistryName(std::wstring_view Name) {
    if (Name.empty()) return {};
    std::wstring folded(Name.size(), L'\0');
    const int length =
        ::LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, Name.data(), static_cast<int>(Name.size()),
                        folded.data(), static_cast<int>(folded.size()), nullptr, nullptr, 0);
    if (length <= 0) return AsciiUpper(Name);
    folded.resize(static_cast<std::size_t>(length));
    return folded;
}

std::wstring RootKeyToText(HKEY RootKey, bool Short) {
    for (const TRootName& entry : RootNames()) {
        if (entry.Root == RootKey) return (Short && entry.ShortName) ? entry.ShortName : entry.LongName;
    }
    return {};
}

HKEY TextToRootKey(std::wstring_view Text) {
    for (const TRootName& entry : RootNames()) {
        if (EqualsIgnoringAsciiCase(Text, entry.LongName) ||
            (entry.ShortName && EqualsIgnoringAsciiCase(Text, entry.ShortName))) {
            return entry.Root;
        }
    }
    return nullptr;
}

}  // namespace quillon
