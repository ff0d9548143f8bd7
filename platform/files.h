#pragma once
// Questions about files and paths that several parts of the program ask.

#include <windows.h>

#include <string>
#include <string_view>

namespace quillon {

// True when Path names an existing file: a directory does not count, and a
// link counts only when the file it leads to exists.
bool FileExists(const std::wstring& Path);

// True when something (a file or a directory) exists at Path.
bool PathExists(const std::wstring& Path);

// True when Path names an existing directory.
bool FolderExists(const std::wstring& Path);

// The whole content of the open file File from its current position (the
// start, for a file just opened) into Bytes, leaving the file's pointer at
// its end; false when it cannot be read.
bool ReadWholeFile(HANDLE File, std::string& Bytes);

// Writes all of Bytes at File's pointer, in pieces the system takes; false
// when a write fails.
bool WriteAll(HANDLE File, std::string_view Bytes);

// Path made absolute with "." and ".." resolved and "/" turned into "\";
// empty when the system cannot make it so.
std::wstring FullPath(const std::wstring& Path);

// Writes Bytes as the whole content of the file Path: first to a new file in
// the same folder, which then takes Path's place in one step, so a failure
// never leaves a half-written or emptied file where the old one was.
// Raises TAppError "Path: <the system's message>" when it cannot.
void WriteFileReplacing(const std::wstring& Path, std::string_view Bytes);

// The full path of the running program's file; empty on failure.
std::wstring ModulePath();

// Calls Fill(Buffer, Capacity) with ever larger buffers until the text
// fits, for the system calls that write a text of unknown length. Fill
// returns the length it wrote when the text fitted (less than Capacity), a
// number not less than Capacity when the buffer was too small (the size it
// needs, if it says), or 0 on failure, which gives empty text.
template <typename TFill>
std::wstring ReadGrowingText(TFill&& Fill, std::size_t Capacity = 260) {
    std::wstring text;
    for (;;) {
        text.resize(Capacity);
        const std::size_t length = Fill(text.data(), Capacity);
        if (length == 0) return {};
        if (length < Capacity) {
            text.resize(length);
            return text;
        }
        Capacity = length > Capacity ? length : Capacity * 2;
    }
}

}  // namespace quillon
