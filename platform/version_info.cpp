#include "platform/version_info.h"

#include "platform/native_path.h"
#include "platform/program_image.h"
#include "platform/version_block.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <iterator>
#include <stdexcept>
#include <string_view>

namespace quillon {
namespace {

using TBlock = std::vector<BYTE>;

// The file's whole version block; empty when it has none, it cannot be
// read, or its nodes state lengths that would lead the system's reader out
// of it.
TBlock LoadVersionBlock(const std::wstring& FileName) {
    // Each call opens the file, so the block is first read into room that
    // fits nearly every program, and the size asked for only when the
    // block states a greater length than that room held.
    constexpr DWORD kFirstRoom = 16 * 1024;
    // Zero-filled: whatever the resource leaves unwritten reads as the end
    // of a string.
    TBlock block(kFirstRoom);
    if (!::GetFileVersionInfoW(FileName.c_str(), 0, kFirstRoom, block.data())) return {};
    WORD stated = 0;
    std::memcpy(&stated, block.data(), sizeof stated);
    if (stated > kFirstRoom) {
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(FileName.c_str(), &ignored);
        if (size == 0) return {};
        // The system's size comes from the resource, which can be shorter
        // than the length its block states; the room is never less than
        // either, so every length checked below lies inside the buffer.
        block.assign(std::max<DWORD>(size, stated), 0);
        if (!::GetFileVersionInfoW(FileName.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) return {};
    }
    const std::string_view bytes(reinterpret_cast<const char*>(block.data()), block.size());
    if (!IsWellFormedVersionBlock(bytes)) return {};
    return block;
}

// The file a version block is read from: the native file an entry names,
// and only when it is a whole program (the system's reader faults on a
// program cut short, and nothing but a program has a version block).
std::optional<std::wstring> ReadableProgram(const std::wstring& FileName) {
    std::wstring native = NativeFilePath(FileName);
    if (CheckProgramFile(native) != TProgramImage::Whole) return std::nullopt;
    return native;
}

// How many bytes of Block lie from Value to the block's end; 0 when Value
// does not point into the block at all.
std::size_t BytesFrom(const TBlock& Block, const void* Value) {
    const auto begin = reinterpret_cast<std::uintptr_t>(Block.data());
    const auto at = reinterpret_cast<std::uintptr_t>(Value);
    if (at < begin || at >= begin + Block.size()) return 0;
    return Block.size() - (at - begin);
}

// The name of the string table of the file's first translation, such as
// "041204b0": language then code page. Later translations are never used,
// even when the first has no table. Empty without a usable translation.
std::wstring FirstStringTable(const TBlock& Block) {
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(Block.data(), L"\\VarFileInfo\\Translation", &value, &length)) return {};
    WORD pair[2] = {};
    // A damaged block can state a shorter translation than one pair.
    if (length < sizeof(pair) || BytesFrom(Block, value) < sizeof(pair)) return {};
    std::memcpy(pair, value, sizeof(pair));
    wchar_t name[16] = {};
    std::swprintf(name, std::size(name), L"%04x%04x", static_cast<unsigned>(pair[0]), static_cast<unsigned>(pair[1]));
    return name;
}

// The string at Path, up to its terminating zero. A damaged file may leave
// the zero out, so the text never runs past the length the block states
// for it, nor past the block's end.
bool QueryString(const TBlock& Block, const std::wstring& Path, std::wstring& Text) {
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(Block.data(), Path.c_str(), &value, &length)) return false;
    const std::size_t count = std::min<std::size_t>(length, BytesFrom(Block, value) / sizeof(wchar_t));
    Text.assign(count, L'\0');
    if (count > 0) std::memcpy(Text.data(), value, count * sizeof(wchar_t));
    Text.resize(std::wcslen(Text.c_str()));
    return true;
}

}  // namespace

int ReadVersionStrings(const std::wstring& FileName, const std::vector<std::wstring>& Keys, TVersionStrings& Values) {
    const std::optional<std::wstring> program = ReadableProgram(FileName);
    if (!program) return 0;
    const TBlock block = LoadVersionBlock(*program);
    if (block.empty()) return 0;
    const std::wstring table = FirstStringTable(block);
    if (table.empty()) return 0;

    const std::wstring prefix = L"\\StringFileInfo\\" + table + L"\\";
    std::wstring text;
    for (const std::wstring& key : Keys) {
        if (!QueryString(block, prefix + key, text)) continue;
        if (!Values.try_emplace(key, text).second) {
            throw std::invalid_argument("ReadVersionStrings: the key is already in the dictionary");
        }
    }
    return static_cast<int>(Values.size());
}

std::optional<std::array<unsigned, 4>> ReadFileVersion(const std::wstring& FileName) {
    const std::optional<std::wstring> program = ReadableProgram(FileName);
    if (!program) return std::nullopt;
    const TBlock block = LoadVersionBlock(*program);
    if (block.empty()) return std::nullopt;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof(VS_FIXEDFILEINFO) || BytesFrom(block, fixed) < sizeof(VS_FIXEDFILEINFO)) {
        return std::nullopt;
    }
    return std::array<unsigned, 4>{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                                   HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
}

std::wstring ReadProductName(const std::wstring& FileName) {
    TVersionStrings values;
    ReadVersionStrings(FileName, {L"ProductName"}, values);
    const auto found = values.find(L"ProductName");
    return found == values.end() ? std::wstring() : found->second;
}

}  // namespace quillon
