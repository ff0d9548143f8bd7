#pragma once
// Helpers shared by the error report tests: a scratch folder, reading a file
// back, and pressing the box's button.

#include "tests/support/boxes.h"
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

// Presses the box's button as a click on it would: the box may be the task
// dialog or the message box that stands in where there is none, and both
// take a click on their own button controls.
inline void PressButton(HWND, HWND Button) { ::PostMessageW(Button, BM_CLICK, 0, 0); }

}  // namespace quillon::test
