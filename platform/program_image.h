#pragma once
// Whether a file can be handed to the system's icon and version readers.
// Those readers map a program file and follow its headers without checking
// them against the file's size, so a cut-off program (a download that
// stopped, a copy that failed) faults inside them; the headers are read and
// checked here first.

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

enum class TProgramImage {
    // Not to be read at all: missing, not openable, a directory or device,
    // empty, or starting with "MZ" without being a whole program image.
    Unusable,
    // A file of some other kind (a document, a script, a shortcut): the
    // shell may give the icon of its type, but it has no version block.
    NotAnImage,
    // A program image whose headers, section table and every section's data
    // lie within the file.
    Whole,
};

// What a file holding Head as its first bytes and FileSize bytes in all is.
// An "MZ" file is whole when its e_lfanew, "PE\0\0" signature, file header,
// optional header (as its magic says: 32- or 64-bit) and section table lie
// within Head, every section's raw data lies within FileSize, and the
// resource directory, when there is one, starts in a section's raw data.
// Head must reach to the end of the section table for a whole image: a
// header past Head counts as missing.
TProgramImage CheckProgramImage(std::string_view Head, std::uint64_t FileSize);

// CheckProgramImage on the file Path, opened once for reading without
// keeping others from reading, writing or deleting it.
TProgramImage CheckProgramFile(const std::wstring& Path);

}  // namespace quillon
