#pragma once
// Paths and files that several test programs need.

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace quillon::test {

// A path CTest hands over in an environment variable, in Unix form; Wine
// maps "/" to drive Z:. Empty when the variable is not set.
inline std::wstring WindowsPathFromEnvironment(const wchar_t* Variable) {
    const wchar_t* path = _wgetenv(Variable);
    if (!path) return {};
    std::wstring result = path;
    if (!result.empty() && result.front() == L'/') result = L"Z:" + result;
    for (wchar_t& c : result) {
        if (c == L'/') c = L'\\';
    }
    return result;
}

// A shell folder's path, the folder created first when the prefix has none.
inline std::wstring MadeFolder(int Csidl) {
    wchar_t path[MAX_PATH]{};
    ::SHGetFolderPathW(nullptr, Csidl | CSIDL_FLAG_CREATE, nullptr, 0, path);
    return path;
}

// The prefix's two start-up folders, made where they are missing.
struct TStartupFolders {
    std::wstring Common = MadeFolder(CSIDL_COMMON_STARTUP);
    std::wstring User = MadeFolder(CSIDL_STARTUP);

    bool Made() const { return !Common.empty() && !User.empty(); }
};

// A file's bytes; empty when it cannot be read.
inline std::string ReadBytes(const std::filesystem::path& Path) {
    std::ifstream in(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Bytes as the file's whole content.
inline void WriteBytes(const std::filesystem::path& Path, const std::string& Bytes) {
    std::ofstream(Path, std::ios::binary) << Bytes;
}

}  // namespace quillon::test
