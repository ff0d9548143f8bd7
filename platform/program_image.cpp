#include "platform/program_image.h"

#include "platform/unique_handle.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>

namespace quillon {
namespace {

constexpr std::size_t kFileHeaderAt = sizeof(DWORD);  // after "PE\0\0"
constexpr std::size_t kOptionalHeaderAt = kFileHeaderAt + sizeof(IMAGE_FILE_HEADER);

// Little-endian numbers of Bytes, read only where they lie wholly inside it.
class TFields {
public:
    explicit TFields(std::string_view Bytes) : FBytes(Bytes) {}

    template <typename TNumber>
    std::optional<TNumber> At(std::uint64_t Offset) const {
        if (Offset > FBytes.size() || FBytes.size() - Offset < sizeof(TNumber)) return std::nullopt;
        TNumber number{};
        std::memcpy(&number, FBytes.data() + Offset, sizeof number);
        return number;
    }
    bool Holds(std::uint64_t Offset, std::uint64_t Length) const {
        return Offset <= FBytes.size() && FBytes.size() - Offset >= Length;
    }

private:
    std::string_view FBytes;
};

struct THeaders {
    std::uint64_t NtAt = 0;  // e_lfanew
    WORD SectionCount = 0;
    WORD OptionalSize = 0;

    std::uint64_t SectionTableAt() const { return NtAt + kOptionalHeaderAt + OptionalSize; }
    std::uint64_t SectionTableEnd() const {
        return SectionTableAt() + std::uint64_t{SectionCount} * IMAGE_SIZEOF_SECTION_HEADER;
    }
};

// The placement of the headers, as far as Head holds them.
std::optional<THeaders> ReadHeaders(const TFields& Head) {
    const auto ntAt = Head.At<DWORD>(offsetof(IMAGE_DOS_HEADER, e_lfanew));
    if (!ntAt) return std::nullopt;
    THeaders headers{*ntAt};
    const auto sections = Head.At<WORD>(headers.NtAt + kFileHeaderAt + offsetof(IMAGE_FILE_HEADER, NumberOfSections));
    const auto optional =
        Head.At<WORD>(headers.NtAt + kFileHeaderAt + offsetof(IMAGE_FILE_HEADER, SizeOfOptionalHeader));
    if (!sections || !optional) return headers;
    headers.SectionCount = *sections;
    headers.OptionalSize = *optional;
    return headers;
}

// The resource directory's address in the image (0 for none), from the
// optional header of either kind; nothing when that header is no known kind
// or too short for its fixed part.
std::optional<DWORD> ResourceDirectoryAddress(const TFields& Head, const THeaders& Headers) {
    const std::uint64_t at = Headers.NtAt + kOptionalHeaderAt;
    const auto magic = Head.At<WORD>(at);
    if (!magic) return std::nullopt;
    std::size_t countAt = 0;
    std::size_t directoriesAt = 0;
    if (*magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
        countAt = offsetof(IMAGE_OPTIONAL_HEADER32, NumberOfRvaAndSizes);
        directoriesAt = offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory);
    } else if (*magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
        countAt = offsetof(IMAGE_OPTIONAL_HEADER64, NumberOfRvaAndSizes);
        directoriesAt = offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory);
    } else {
        return std::nullopt;
    }
    if (Headers.OptionalSize < directoriesAt) return std::nullopt;
    const DWORD count = Head.At<DWORD>(at + countAt).value_or(0);
    const std::uint64_t entryAt = directoriesAt + IMAGE_DIRECTORY_ENTRY_RESOURCE * sizeof(IMAGE_DATA_DIRECTORY);
    // The directories the header does not have room for are not there.
    if (count <= IMAGE_DIRECTORY_ENTRY_RESOURCE || entryAt + sizeof(IMAGE_DATA_DIRECTORY) > Headers.OptionalSize) {
        return DWORD{0};
    }
    return Head.At<DWORD>(at + entryAt + offsetof(IMAGE_DATA_DIRECTORY, VirtualAddress));
}

// How many of the file's first bytes the check needs, as far as Head tells:
// the DOS header, then the file header (which sizes the rest), then
// everything up to the end of the section table.
std::uint64_t HeadersEnd(std::string_view Head) {
    const TFields fields(Head);
    if (!fields.Holds(0, sizeof(IMAGE_DOS_HEADER))) return sizeof(IMAGE_DOS_HEADER);
    const std::optional<THeaders> headers = ReadHeaders(fields);
    if (!fields.Holds(headers->NtAt, kOptionalHeaderAt)) return headers->NtAt + kOptionalHeaderAt;
    return headers->SectionTableEnd();
}

// Reads up to Length bytes from the start of File into Bytes; false when the
// file cannot be read. A file that has become shorter since gives fewer.
bool ReadHead(HANDLE File, std::size_t Length, std::string& Bytes) {
    Bytes.resize(Length);
    std::size_t done = 0;
    while (done < Length) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(done);
        DWORD read = 0;
        if (!::ReadFile(File, Bytes.data() + done, static_cast<DWORD>(Length - done), &read, &at)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) break;
            return false;
        }
        if (read == 0) break;
        done += read;
    }
    Bytes.resize(done);
    return true;
}

}  // namespace

TProgramImage CheckProgramImage(std::string_view Head, std::uint64_t FileSize) {
    if (FileSize == 0 || Head.empty()) return TProgramImage::Unusable;
    if (!Head.starts_with("MZ")) return TProgramImage::NotAnImage;
    if (Head.size() > FileSize) Head = Head.substr(0, static_cast<std::size_t>(FileSize));

    const TFields fields(Head);
    const std::optional<THeaders> headers = ReadHeaders(fields);
    if (!headers || !fields.Holds(headers->NtAt, kOptionalHeaderAt) ||
        fields.At<DWORD>(headers->NtAt) != IMAGE_NT_SIGNATURE ||
        !fields.Holds(headers->SectionTableAt(), headers->SectionTableEnd() - headers->SectionTableAt())) {
        return TProgramImage::Unusable;
    }
    const std::optional<DWORD> resources = ResourceDirectoryAddress(fields, *headers);
    if (!resources) return TProgramImage::Unusable;

    bool resourcesFound = *resources == 0;
    for (WORD index = 0; index < headers->SectionCount; ++index) {
        const std::uint64_t at = headers->SectionTableAt() + std::uint64_t{index} * IMAGE_SIZEOF_SECTION_HEADER;
        const DWORD address = *fields.At<DWORD>(at + offsetof(IMAGE_SECTION_HEADER, VirtualAddress));
        const DWORD rawSize = *fields.At<DWORD>(at + offsetof(IMAGE_SECTION_HEADER, SizeOfRawData));
        const DWORD rawAt = *fields.At<DWORD>(at + offsetof(IMAGE_SECTION_HEADER, PointerToRawData));
        // A section without data in the file (zero-filled when loaded) has no
        // position to check.
        if (rawSize > 0 && std::uint64_t{rawAt} + rawSize > FileSize) return TProgramImage::Unusable;
        if (*resources >= address && *resources - address < rawSize) resourcesFound = true;
    }
    return resourcesFound ? TProgramImage::Whole : TProgramImage::Unusable;
}

TProgramImage CheckProgramFile(const std::wstring& Path) {
    const UniqueFileHandle file(::CreateFileW(Path.c_str(), GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    // Without FILE_FLAG_BACKUP_SEMANTICS a directory does not open. A device
    // or a pipe (a value naming "CON") may never answer a read.
    if (!file || ::GetFileType(file.get()) != FILE_TYPE_DISK) return TProgramImage::Unusable;
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0) return TProgramImage::Unusable;
    const auto fileSize = static_cast<std::uint64_t>(size.QuadPart);

    // One page holds the headers of nearly every program; the few that place
    // them further in are read again as far as the headers say, up to a
    // limit no real program comes near.
    constexpr std::uint64_t kFirstRead = 4096;
    constexpr std::uint64_t kMostHeaders = 1024 * 1024;
    std::string head;
    std::uint64_t want = std::min(fileSize, kFirstRead);
    for (int round = 0; round < 3; ++round) {
        if (!ReadHead(file.get(), static_cast<std::size_t>(want), head)) return TProgramImage::Unusable;
        if (!std::string_view(head).starts_with("MZ")) break;
        const std::uint64_t needed = std::min(HeadersEnd(head), fileSize);
        if (needed <= head.size() || needed > kMostHeaders) break;
        want = needed;
    }
    return CheckProgramImage(head, fileSize);
}

}  // namespace quillon
