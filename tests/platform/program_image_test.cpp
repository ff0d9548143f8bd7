// Whether a file may be handed to the system's icon and version readers:
// the header rule over the bytes of real programs (the 64-bit fixture and
// one of Wine's own 32-bit programs), cut short or with one field damaged,
// then the same check on files on disk.

#include "platform/program_image.h"

#include "platform/unique_handle.h"
#include "tests/platform/fixtures/fixture_files.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

namespace quillon {
namespace {

using test::FixtureApp;
using test::ReadBytes;
using test::TScratchFolder;
using test::WriteBytes;

template <typename T>
T Peek(const std::string& Bytes, std::size_t At) {
    T value{};
    std::memcpy(&value, Bytes.data() + At, sizeof value);
    return value;
}

template <typename T>
void Poke(std::string& Bytes, std::size_t At, T Value) {
    std::memcpy(Bytes.data() + At, &Value, sizeof Value);
}

// Where a well-formed image's headers lie, so a case can damage one field.
struct TLayout {
    std::size_t NtAt = 0;
    std::size_t OptionalAt = 0;
    std::size_t SectionsAt = 0;
    WORD SectionCount = 0;
    int ResourceSection = -1;  // the section holding the resource directory

    std::size_t SectionAt(int Index) const { return SectionsAt + Index * sizeof(IMAGE_SECTION_HEADER); }
    std::size_t SectionsEnd() const { return SectionAt(SectionCount); }
};

TLayout LayoutOf(const std::string& Image) {
    TLayout layout;
    layout.NtAt = Peek<DWORD>(Image, offsetof(IMAGE_DOS_HEADER, e_lfanew));
    const auto file = Peek<IMAGE_FILE_HEADER>(Image, layout.NtAt + sizeof(DWORD));
    layout.OptionalAt = layout.NtAt + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
    layout.SectionsAt = layout.OptionalAt + file.SizeOfOptionalHeader;
    layout.SectionCount = file.NumberOfSections;
    const bool is64 = Peek<WORD>(Image, layout.OptionalAt) == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    const std::size_t directories =
        is64 ? offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory) : offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory);
    const auto resources = Peek<IMAGE_DATA_DIRECTORY>(
        Image, layout.OptionalAt + directories + IMAGE_DIRECTORY_ENTRY_RESOURCE * sizeof(IMAGE_DATA_DIRECTORY));
    for (int index = 0; index < layout.SectionCount; ++index) {
        const auto section = Peek<IMAGE_SECTION_HEADER>(Image, layout.SectionAt(index));
        if (resources.VirtualAddress >= section.VirtualAddress &&
            resources.VirtualAddress < section.VirtualAddress + section.SizeOfRawData) {
            layout.ResourceSection = index;
        }
    }
    return layout;
}

std::size_t ResourceEntryAt(const std::string& Image, const TLayout& Layout) {
    const bool is64 = Peek<WORD>(Image, Layout.OptionalAt) == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
    return Layout.OptionalAt +
           (is64 ? offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory)
                 : offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory)) +
           IMAGE_DIRECTORY_ENTRY_RESOURCE * sizeof(IMAGE_DATA_DIRECTORY);
}

// Image with Count zero bytes put in before its NT headers and every file
// offset after them moved on: the same program, its headers further in.
std::string WithHeadersMovedBy(std::string Image, std::size_t Count) {
    const TLayout layout = LayoutOf(Image);
    const auto moved = [Count](DWORD Offset) { return Offset == 0 ? Offset : static_cast<DWORD>(Offset + Count); };
    Poke<DWORD>(Image, offsetof(IMAGE_DOS_HEADER, e_lfanew), moved(static_cast<DWORD>(layout.NtAt)));
    const std::size_t symbolsAt = layout.NtAt + sizeof(DWORD) + offsetof(IMAGE_FILE_HEADER, PointerToSymbolTable);
    Poke<DWORD>(Image, symbolsAt, moved(Peek<DWORD>(Image, symbolsAt)));
    const std::size_t headersSizeAt = layout.OptionalAt + offsetof(IMAGE_OPTIONAL_HEADER64, SizeOfHeaders);
    static_assert(offsetof(IMAGE_OPTIONAL_HEADER64, SizeOfHeaders) == offsetof(IMAGE_OPTIONAL_HEADER32, SizeOfHeaders));
    Poke<DWORD>(Image, headersSizeAt, moved(Peek<DWORD>(Image, headersSizeAt)));
    for (int index = 0; index < layout.SectionCount; ++index) {
        const std::size_t rawAt = layout.SectionAt(index) + offsetof(IMAGE_SECTION_HEADER, PointerToRawData);
        Poke<DWORD>(Image, rawAt, moved(Peek<DWORD>(Image, rawAt)));
    }
    Image.insert(layout.NtAt, Count, '\0');
    return Image;
}

struct TCase {
    std::string Name;
    std::string Bytes;
    TProgramImage Expected;
};

// The same damages for an image of either bitness.
std::vector<TCase> DamagedCopies(const std::string& Image) {
    const TLayout layout = LayoutOf(Image);
    std::vector<TCase> cases;
    const auto add = [&cases](std::string Name, std::string Bytes, TProgramImage Expected = TProgramImage::Unusable) {
        cases.push_back({std::move(Name), std::move(Bytes), Expected});
    };
    add("whole", Image, TProgramImage::Whole);
    add("with data appended", Image + std::string(100, 'x'), TProgramImage::Whole);
    for (std::size_t length : {std::size_t{2}, std::size_t{64}, std::size_t{512}, std::size_t{1024},
                               layout.SectionsEnd(), Image.size() / 2}) {
        add("cut to " + std::to_string(length), Image.substr(0, length));
    }
    add("no bytes", "");
    add("cut to 1 (no longer starts with MZ)", Image.substr(0, 1), TProgramImage::NotAnImage);

    std::string bytes = Image;
    Poke<DWORD>(bytes, offsetof(IMAGE_DOS_HEADER, e_lfanew), static_cast<DWORD>(Image.size() + 16));
    add("e_lfanew past the end", bytes);
    Poke<DWORD>(bytes, offsetof(IMAGE_DOS_HEADER, e_lfanew), 0xFFFFFFFF);
    add("e_lfanew at the top of its range", bytes);

    bytes = Image;
    Poke<DWORD>(bytes, layout.NtAt, 0x00005858);  // "XX\0\0"
    add("no PE signature", bytes);

    bytes = Image.substr(0, layout.NtAt);
    Poke<DWORD>(bytes, offsetof(IMAGE_DOS_HEADER, e_lfanew), 0);
    add("an MZ program without a PE header", bytes);

    bytes = Image;
    Poke<WORD>(bytes, layout.OptionalAt, 0x107);
    add("an optional header of no known kind", bytes);

    bytes = Image;
    Poke<WORD>(bytes, layout.NtAt + sizeof(DWORD) + offsetof(IMAGE_FILE_HEADER, SizeOfOptionalHeader), 16);
    add("an optional header too short for its kind", bytes);

    bytes = Image;
    Poke<WORD>(bytes, layout.NtAt + sizeof(DWORD) + offsetof(IMAGE_FILE_HEADER, NumberOfSections), 0xFFFF);
    add("a section table running past the end", bytes);

    for (int index : {0, layout.ResourceSection}) {
        bytes = Image;
        const std::size_t sizeAt = layout.SectionAt(index) + offsetof(IMAGE_SECTION_HEADER, SizeOfRawData);
        Poke<DWORD>(bytes, sizeAt, static_cast<DWORD>(Image.size()));
        add("section " + std::to_string(index) + " running past the end", bytes);
        bytes = Image;
        const std::size_t rawAt = layout.SectionAt(index) + offsetof(IMAGE_SECTION_HEADER, PointerToRawData);
        Poke<DWORD>(bytes, rawAt, 0xFFFFFF00);
        add("section " + std::to_string(index) + " starting past the end", bytes);
    }

    bytes = Image;
    Poke<DWORD>(bytes, ResourceEntryAt(Image, layout), 0x7FFF0000);
    add("resource directory in no section", bytes);
    return cases;
}

void ExpectCases(const std::vector<TCase>& Cases, const std::string& Image) {
    for (const TCase& c : Cases) {
        EXPECT_EQ(CheckProgramImage(c.Bytes, c.Bytes.size()), c.Expected) << Image << ": " << c.Name;
    }
}

TEST(CheckProgramImage, NeedsEveryHeaderAndSectionOfA64BitProgram) {
    const std::string image = ReadBytes(FixtureApp());
    const TLayout layout = LayoutOf(image);
    ASSERT_EQ(Peek<WORD>(image, layout.OptionalAt), IMAGE_NT_OPTIONAL_HDR64_MAGIC);
    ASSERT_GE(layout.ResourceSection, 1) << "the cases need resources apart from the first section";
    // The fixture is stripped, so its last section's data ends the file and
    // any cut reaches into it.
    const auto last = Peek<IMAGE_SECTION_HEADER>(image, layout.SectionAt(layout.SectionCount - 1));
    ASSERT_EQ(last.PointerToRawData + last.SizeOfRawData, image.size());

    std::vector<TCase> cases = DamagedCopies(image);
    cases.push_back({"cut by one byte", image.substr(0, image.size() - 1), TProgramImage::Unusable});
    ExpectCases(cases, "fixture");
}

TEST(CheckProgramImage, NeedsEveryHeaderAndSectionOfA32BitProgram) {
    wchar_t windows[MAX_PATH] = {};
    ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
    const std::string image = ReadBytes(std::wstring(windows) + L"\\syswow64\\notepad.exe");
    ASSERT_FALSE(image.empty()) << "the test prefix has no 32-bit programs";
    const TLayout layout = LayoutOf(image);
    ASSERT_EQ(Peek<WORD>(image, layout.OptionalAt), IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    ASSERT_GE(layout.ResourceSection, 1);
    ExpectCases(DamagedCopies(image), "32-bit notepad");
}

TEST(CheckProgramImage, ReadsOnlyTheHeadItIsGiven) {
    const std::string image = ReadBytes(FixtureApp());
    const TLayout layout = LayoutOf(image);
    // The section data is checked against the file's size, not the head's.
    EXPECT_EQ(CheckProgramImage(std::string_view(image).substr(0, layout.SectionsEnd()), image.size()),
              TProgramImage::Whole);
    EXPECT_EQ(CheckProgramImage(std::string_view(image).substr(0, layout.SectionsEnd() - 1), image.size()),
              TProgramImage::Unusable);
    // Bytes beyond the size given are not part of the file.
    EXPECT_EQ(CheckProgramImage(image, image.size() - 1), TProgramImage::Unusable);
    EXPECT_EQ(CheckProgramImage("", image.size()), TProgramImage::Unusable);

    const std::string moved = WithHeadersMovedBy(image, 8192);
    EXPECT_EQ(CheckProgramImage(moved, moved.size()), TProgramImage::Whole);
}

TEST(CheckProgramImage, AnythingNotStartingWithMzIsNoImage) {
    const std::string texts[] = {"@echo off\r\n", "ZM", "mz lower case", std::string("L\0\0\0", 4), "M"};
    for (const std::string& text : texts) {
        EXPECT_EQ(CheckProgramImage(text, text.size()), TProgramImage::NotAnImage) << text;
    }
}

// ---- Files on disk ----------------------------------------------------------

TEST(CheckProgramFile, ReadsTheFileOnce) {
    TScratchFolder folder;
    const std::string image = ReadBytes(FixtureApp());
    const std::wstring empty = folder.File(L"empty.exe");
    WriteBytes(empty, "");
    const std::wstring cut = folder.File(L"cut.exe");
    WriteBytes(cut, image.substr(0, 1024));
    const std::wstring script = folder.File(L"start.cmd");
    WriteBytes(script, "@echo off\r\n");
    // Headers past the first page are read as far as they go.
    const std::wstring moved = folder.File(L"moved.exe");
    WriteBytes(moved, WithHeadersMovedBy(image, 8192));
    const std::wstring directory = folder.File(L"folder.exe");
    ASSERT_TRUE(::CreateDirectoryW(directory.c_str(), nullptr));

    const std::pair<std::wstring, TProgramImage> cases[] = {
        {FixtureApp(), TProgramImage::Whole},
        {moved, TProgramImage::Whole},
        {script, TProgramImage::NotAnImage},
        {empty, TProgramImage::Unusable},
        {cut, TProgramImage::Unusable},
        {directory, TProgramImage::Unusable},
        {directory + L"\\", TProgramImage::Unusable},
        {folder.File(L"missing.exe"), TProgramImage::Unusable},
        {L"NUL", TProgramImage::Unusable},
        {L"", TProgramImage::Unusable},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(CheckProgramFile(path), expected) << ::testing::PrintToString(path);
    }
    ::RemoveDirectoryW(directory.c_str());
}

TEST(CheckProgramFile, AFileHeldByAnotherIsNotRead) {
    TScratchFolder folder;
    const std::wstring copy = folder.CopyOfFixture(L"held.exe");
    {
        const UniqueFileHandle held(::CreateFileW(copy.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(CheckProgramFile(copy), TProgramImage::Unusable);
    }
    EXPECT_EQ(CheckProgramFile(copy), TProgramImage::Whole);
}

TEST(CheckProgramFile, LeavesTheFileToOthers) {
    // Someone writing the file, or about to delete it, does not stop the
    // check, and the check does not stop them.
    TScratchFolder folder;
    const std::wstring copy = folder.CopyOfFixture(L"busy.exe");
    const UniqueFileHandle writer(::CreateFileW(copy.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer);
    EXPECT_EQ(CheckProgramFile(copy), TProgramImage::Whole);
}

}  // namespace
}  // namespace quillon
