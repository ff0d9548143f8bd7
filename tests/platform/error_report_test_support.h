#pragma once
// Helpers shared by the error report tests: a scratch folder, reading a file
// back, and finding the box on screen.

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace quillon::test {

// A fresh folder under %TEMP%, removed with everything in it afterwards.
class TTempFolder {
public:
    TTempFolder() {
        static int Counter = 0;
        FPath = std::filesystem::temp_directory_path() /
                (L"quillon-err-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                 std::to_wstring(++Counter));
        std::filesystem::remove_all(FPath);
        std::filesystem::create_directories(FPath);
    }
    ~TTempFolder() {
        std::error_code Ignored;
        std::filesystem::remove_all(FPath, Ignored);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }

private:
    std::filesystem::path FPath;
};

inline std::string ReadBytes(const std::filesystem::path& Path) {
    std::ifstream In(Path, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& Path, const std::string& Bytes) {
    std::ofstream(Path, std::ios::binary) << Bytes;
}

inline bool IsValidUtf8(const std::string& Bytes) {
    if (Bytes.empty()) return true;
    return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, Bytes.data(),
                                 static_cast<int>(Bytes.size()), nullptr, 0) > 0;
}

// Read without sending WM_GETTEXT: the box's thread may itself be waiting on
// this thread while it creates the box, and a sent message would deadlock.
inline std::wstring WindowText(HWND Wnd) {
    wchar_t Text[1024] = {};
    ::InternalGetWindowText(Wnd, Text, static_cast<int>(std::size(Text)));
    return Text;
}

inline std::wstring ClassName(HWND Wnd) {
    wchar_t Name[256] = {};
    ::GetClassNameW(Wnd, Name, static_cast<int>(std::size(Name)));
    return Name;
}

// The visible top-level window titled "Quillon" of process ProcessId, polled
// for up to Timeout; nullptr when none shows up.
inline HWND WaitForBox(DWORD ProcessId, std::chrono::milliseconds Timeout) {
    struct TSearch {
        DWORD ProcessId;
        HWND Found;
    } Search{ProcessId, nullptr};
    const auto Match = [](HWND Wnd, LPARAM Param) -> BOOL {
        auto& S = *reinterpret_cast<TSearch*>(Param);
        DWORD Owner = 0;
        ::GetWindowThreadProcessId(Wnd, &Owner);
        if (Owner != S.ProcessId || !::IsWindowVisible(Wnd) || WindowText(Wnd) != L"Quillon")
            return TRUE;
        S.Found = Wnd;
        return FALSE;
    };
    const auto Deadline = std::chrono::steady_clock::now() + Timeout;
    while (!Search.Found && std::chrono::steady_clock::now() < Deadline) {
        ::EnumWindows(Match, reinterpret_cast<LPARAM>(&Search));
        if (!Search.Found) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return Search.Found;
}

inline std::vector<HWND> ChildWindows(HWND Parent) {
    std::vector<HWND> Children;
    ::EnumChildWindows(
        Parent,
        [](HWND Wnd, LPARAM Param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(Param)->push_back(Wnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&Children));
    return Children;
}

inline std::vector<HWND> ButtonsOf(HWND Box) {
    std::vector<HWND> Buttons;
    for (HWND Child : ChildWindows(Box))
        if (::lstrcmpiW(ClassName(Child).c_str(), L"Button") == 0) Buttons.push_back(Child);
    return Buttons;
}

}  // namespace quillon::test
