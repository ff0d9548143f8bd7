#pragma once
// Helpers shared by the error report tests: a scratch folder, reading a file
// back, and finding the box on screen.

#include "tests/support/test_files.h"

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace quillon::test {

// A fresh folder under %TEMP%, removed with everything in it afterwards.
class TTempFolder {
public:
    TTempFolder() {
        static int counter = 0;
        FPath = std::filesystem::temp_directory_path() /
                (L"quillon-err-" + std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(++counter));
        std::filesystem::remove_all(FPath);
        std::filesystem::create_directories(FPath);
    }
    ~TTempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(FPath, ignored);
    }
    TTempFolder(const TTempFolder&) = delete;
    TTempFolder& operator=(const TTempFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }

private:
    std::filesystem::path FPath;
};

// Text cut at every Break; no line after a final Break.
template <typename TText>
std::vector<TText> SplitLines(const TText& Text, const TText& Break) {
    std::vector<TText> lines;
    for (std::size_t at = 0; at < Text.size();) {
        const std::size_t end = Text.find(Break, at);
        lines.push_back(Text.substr(at, end - at));
        at = end == TText::npos ? Text.size() : end + Break.size();
    }
    return lines;
}

inline bool IsValidUtf8(const std::string& Bytes) {
    if (Bytes.empty()) return true;
    return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, Bytes.data(), static_cast<int>(Bytes.size()), nullptr,
                                 0) > 0;
}

// Read without sending WM_GETTEXT: the box's thread may itself be waiting on
// this thread while it creates the box, and a sent message would deadlock.
inline std::wstring WindowText(HWND Wnd) {
    wchar_t text[1024] = {};
    ::InternalGetWindowText(Wnd, text, static_cast<int>(std::size(text)));
    return text;
}

inline std::wstring ClassName(HWND Wnd) {
    wchar_t name[256] = {};
    ::GetClassNameW(Wnd, name, static_cast<int>(std::size(name)));
    return name;
}

// The visible top-level windows titled "Quillon" of process ProcessId.
inline std::vector<HWND> Boxes(DWORD ProcessId) {
    struct TSearch {
        DWORD ProcessId;
        std::vector<HWND> Found;
    } search{ProcessId, {}};
    const auto match = [](HWND Wnd, LPARAM Param) -> BOOL {
        auto& s = *reinterpret_cast<TSearch*>(Param);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(Wnd, &owner);
        if (owner == s.ProcessId && ::IsWindowVisible(Wnd) && WindowText(Wnd) == L"Quillon") s.Found.push_back(Wnd);
        return TRUE;
    };
    ::EnumWindows(match, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// The first box of process ProcessId, polled for up to Timeout; nullptr
// when none shows up.
inline HWND WaitForBox(DWORD ProcessId, std::chrono::milliseconds Timeout) {
    const auto deadline = std::chrono::steady_clock::now() + Timeout;
    for (;;) {
        const std::vector<HWND> found = Boxes(ProcessId);
        if (!found.empty()) return found.front();
        if (std::chrono::steady_clock::now() >= deadline) return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

inline std::vector<HWND> ChildWindows(HWND Parent) {
    std::vector<HWND> children;
    ::EnumChildWindows(
        Parent,
        [](HWND Wnd, LPARAM Param) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(Param)->push_back(Wnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

inline std::vector<HWND> ButtonsOf(HWND Box) {
    std::vector<HWND> buttons;
    for (HWND child : ChildWindows(Box))
        if (::lstrcmpiW(ClassName(child).c_str(), L"Button") == 0) buttons.push_back(child);
    return buttons;
}

// Whether some control of the box shows a text that starts with Start.
inline bool BoxShows(HWND Box, const std::wstring& Start) {
    for (HWND child : ChildWindows(Box))
        if (WindowText(child).starts_with(Start)) return true;
    return false;
}

// Presses the box's button the way TaskDialog expects: TDM_CLICK_BUTTON with
// the button's id, which works whether the buttons are controls of their own
// or drawn inside the dialog.
inline void PressButton(HWND Box, HWND Button) {
    ::PostMessageW(Box, TDM_CLICK_BUTTON, static_cast<WPARAM>(::GetDlgCtrlID(Button)), 0);
}

}  // namespace quillon::test
