#pragma once
// Registry access by root, key path and value name, always in the 64-bit
// view: a 32-bit build sees the same keys as native programs and reaches the
// 32-bit view only by naming "Wow6432Node" in a path. Nothing here throws or
// reports: every failure gives the operation's default result.

#include <windows.h>

#include "platform/unique_handle.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon {

using TBytes = std::vector<std::uint8_t>;

// A leading "\" of a key path is ignored; an empty key path names the root.
class TReg {
public:
    TReg() = delete;

    // The key can be opened for querying.
    static bool IsKey(HKEY RootKey, const std::wstring& Key);
    // The key can be opened and holds a value Name, of any type.
    static bool ValueExists(HKEY RootKey, const std::wstring& Key, const std::wstring& Name);

    // A REG_BINARY, REG_NONE or resource-list value; empty on any failure.
    static TBytes ReadBinary(HKEY RootKey, const std::wstring& Key, const std::wstring& Name);
    // ReadInteger(...) != 0; Value when it cannot be read.
    static bool ReadBool(HKEY RootKey, const std::wstring& Key, const std::wstring& Name, bool Value);
    // A 4-byte REG_DWORD or REG_DWORD_BIG_ENDIAN, as stored; Value otherwise.
    static std::int32_t ReadInteger(HKEY RootKey, const std::wstring& Key, const std::wstring& Name,
                                    std::int32_t Value);
    // A REG_SZ or REG_EXPAND_SZ value up to its first NUL, unexpanded.
    // Value when the key cannot be opened; empty text when the value is
    // missing, empty or not text.
    static std::wstring ReadString(HKEY RootKey, const std::wstring& Key, const std::wstring& Name,
                                   const std::wstring& Value);
    // Empties the list, fills it in enumeration order, returns its size.
    static int ReadKeyNames(HKEY RootKey, const std::wstring& Key, std::vector<std::wstring>& KeyNames);
    // As ReadKeyNames; the default value, when set, is listed as "".
    static int ReadValueNames(HKEY RootKey, const std::wstring& Key, std::vector<std::wstring>& ValueNames);

    // Writes and deletes create Key (and the keys above it) when missing.
    static void WriteBinary(HKEY RootKey, const std::wstring& Key, const std::wstring& Name,
                            std::span<const std::uint8_t> Value);
    static void WriteInteger(HKEY RootKey, const std::wstring& Key, const std::wstring& Name, std::int32_t Value);
    // REG_SZ including the terminating NUL.
    static void WriteString(HKEY RootKey, const std::wstring& Key, const std::wstring& Name, const std::wstring& Value);
    // Deletes the subkey Name of Key with everything below it.
    static void DeleteKey(HKEY RootKey, const std::wstring& Key, const std::wstring& Name);
    static void DeleteValue(HKEY RootKey, const std::wstring& Key, const std::wstring& Name);

    // Splits "root\key\path\name" at every "\" (empty parts kept). False for
    // fewer than three parts, RootKey then untouched; an unknown root name
    // gives RootKey 0 and still succeeds. Key and Name are emptied first.
    static bool Parse(std::wstring_view Text, HKEY& RootKey, std::wstring& Key, std::wstring& Name);
    // Deletes the subkey that the path text names, or else the value.
    static void Delete(std::wstring_view Text);
};

// A value as it is stored: its name, type and bytes.
struct TRegValue {
    std::wstring Name;
    DWORD Type = REG_NONE;
    TBytes Data;
};

// One key opened for reading, as TReg's reads open it, for code that reads
// many values of the same key: each read gives what the TReg read of the
// same name would, without opening the key again.
class TRegReader {
public:
    TRegReader(HKEY RootKey, const std::wstring& Key);
    ~TRegReader();
    TRegReader(const TRegReader&) = delete;
    TRegReader& operator=(const TRegReader&) = delete;

    // The key could be opened.
    explicit operator bool() const noexcept { return static_cast<bool>(FKey); }
    std::vector<std::wstring> ValueNames() const;
    // Every value's name with what ReadString gives for it, in enumeration
    // order, read in one pass over the key.
    std::vector<std::pair<std::wstring, std::wstring>> StringValues() const;
    // Every value's name with what ReadBinary gives for it, in one pass.
    std::vector<std::pair<std::wstring, TBytes>> BinaryValues() const;
    // Every value as stored, in enumeration order, in one pass.
    std::vector<TRegValue> Values() const;
    // Empty text when the key or value is missing or the value is not text.
    std::wstring ReadString(const std::wstring& Name) const;
    TBytes ReadBinary(const std::wstring& Name) const;

private:
    UniqueHKey FKey;
};

// Name in the form the registry compares names: case folded the same way
// for every user, so two names that name the same value fold alike.
std::wstring FoldRegistryName(std::wstring_view Name);

// "HKLM", "HKEY_LOCAL_MACHINE", ...; empty text for a handle that is not a
// predefined root. Roots without a short name give the long one.
std::wstring RootKeyToText(HKEY RootKey, bool Short);
// Short or long root name, ASCII case ignored; 0 when nothing matches.
HKEY TextToRootKey(std::wstring_view Text);

}  // namespace quillon
