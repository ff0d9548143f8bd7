#pragma once
// Finding the boxes a program shows (they are titled "Quillon") and reading
// them, from another thread or another process.

#include <windows.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace quillon::test {

// Read without sending WM_GETTEXT: the box's thread may itself be waiting on
// this thread while it creates the box, and a sent message would deadlock.
inline std::wstring TextOf(HWND Wnd) {
    wchar_t text[1024] = {};
    ::InternalGetWindowText(Wnd, text, static_cast<int>(std::size(text)));
    return text;
}

inline std::wstring ClassName(HWND Wnd) {
    wchar_t name[256] = {};
    ::GetClassNameW(Wnd, name, static_cast<int>(std::size(name)));
    return name;
}

// The visible dialog boxes titled "Quillon" of process ProcessId.
inline std::vector<HWND> Boxes(DWORD ProcessId) {
    struct TSearch {
        DWORD ProcessId;
        std::vector<HWND> Found;
    } search{ProcessId, {}};
    const auto match = [](HWND Wnd, LPARAM Param) CALLBACK -> BOOL {
        auto& s = *reinterpret_cast<TSearch*>(Param);
        DWORD owner = 0;
        ::GetWindowThreadProcessId(Wnd, &owner);
        // Dialog windows only: the program's main window has the same title.
        if (owner == s.ProcessId && ::IsWindowVisible(Wnd) && TextOf(Wnd) == L"Quillon" &&
            ClassName(Wnd) == L"#32770") {
            s.Found.push_back(Wnd);
        }
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
        [](HWND Wnd, LPARAM Param) CALLBACK -> BOOL {
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
        if (TextOf(child).starts_with(Start)) return true;
    return false;
}

// A shown top-level window of process ProcessId of class Class, and not
// titled NotTitled when that is given; null when there is none.
inline HWND ShownWindowOfClass(DWORD ProcessId, const std::wstring& Class, const std::wstring& NotTitled = {}) {
    struct TSearch {
        DWORD ProcessId;
        std::wstring ClassName;
        std::wstring NotTitled;
        HWND Found = nullptr;
    } search{ProcessId, Class, NotTitled};
    ::EnumWindows(
        [](HWND Wnd, LPARAM Param) CALLBACK -> BOOL {
            auto& s = *reinterpret_cast<TSearch*>(Param);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(Wnd, &owner);
            if (owner != s.ProcessId || !::IsWindowVisible(Wnd) || ClassName(Wnd) != s.ClassName) return TRUE;
            if (!s.NotTitled.empty() && TextOf(Wnd) == s.NotTitled) return TRUE;
            s.Found = Wnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

}  // namespace quillon::test
