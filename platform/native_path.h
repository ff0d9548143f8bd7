#pragma once
// Paths and environment references as a native process sees them. The
// release is a 32-bit program running on 64-bit Windows, where the system
// silently shows such a process the 32-bit System32 (SysWOW64) and the
// "(x86)" program folders; the files that entries name are those the native
// system starts, so every read of them goes through these mappings.

#include <string>
#include <string_view>

namespace quillon {

// True when this process is a 32-bit process on 64-bit Windows; asked once.
bool IsWow64();

// Path as this process must write it to reach the file a native process
// would open. In a WoW64 process a path inside SystemFolder (the whole
// folder or anything below it, ASCII case ignored, "\" and "/" alike, with
// or without a leading "\\?\") becomes the same path through
// "<WindowsFolder>\Sysnative", the name under which such a process sees the
// native System32. Any other path, and every path when IsWow64 is false, is
// returned unchanged. The first overload uses the running system's folders.
std::wstring NativeFilePath(const std::wstring& Path);
std::wstring NativeFilePath(std::wstring_view Path, std::wstring_view SystemFolder, std::wstring_view WindowsFolder,
                            bool IsWow64);

// Text with the references that differ between a 32-bit and a native
// process renamed to the variables that name the native folders: when
// IsWow64 is true, "%ProgramFiles%" becomes "%ProgramW6432%" and
// "%CommonProgramFiles%" becomes "%CommonProgramW6432%" (names compared
// ignoring ASCII case). Every other reference, and everything when IsWow64
// is false, stays as it is.
std::wstring NativeVariableNames(std::wstring_view Text, bool IsWow64);

// Text with its environment references expanded as a native process would
// expand them (the renaming above, then the system's expansion); the text
// unchanged when the system cannot expand it.
std::wstring ExpandNativeEnvironment(std::wstring_view Text);

}  // namespace quillon
