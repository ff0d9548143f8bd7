#pragma once
// Quillon.exe's window as another process sees and works it: the list's
// rows read through memory of the program's own (a list control answers
// into its own address space), a row selected, the switch button and the
// "all programs" check box clicked, F5 pressed. The test program must have
// the program's bitness, so the list's records have the same layout.

#include "platform/unique_handle.h"

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace quillon::test {

// The frame's controls inside a main window; null when missing.
struct TQuillonControls {
    HWND List = nullptr;
    HWND AllPrograms = nullptr;
    HWND Switch = nullptr;
};
TQuillonControls ControlsOf(HWND Main);

// A row as the user reads it: the program's name and its source.
using TRow = std::pair<std::wstring, std::wstring>;

class TRemoteList {
public:
    explicit TRemoteList(HWND List);
    ~TRemoteList();
    TRemoteList(const TRemoteList&) = delete;
    TRemoteList& operator=(const TRemoteList&) = delete;

    [[nodiscard]] int Count() const;
    [[nodiscard]] std::wstring Text(int Row, int Column) const;
    // The index of the row's picture in the list's images; -1 when it
    // cannot be read.
    [[nodiscard]] int Image(int Row) const;
    [[nodiscard]] std::vector<TRow> Rows() const;
    // The first row whose name is Name; -1 when none.
    [[nodiscard]] int Find(const std::wstring& Name) const;
    // Selects and focuses Row, as a click on it would.
    void Select(int Row) const;
    [[nodiscard]] int Selected() const;

private:
    HWND FList;
    UniqueKernelHandle FProcess;
    void* FRemote = nullptr;
};

// Clicks a button of another process without waiting for what the click
// starts (a box may open inside it).
void PostClick(HWND Button);
// F5 in the list.
void PostF5(HWND List);

}  // namespace quillon::test
