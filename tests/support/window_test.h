#pragma once
// Shared set-up for tests that create Quillon's windows in-process.

#include "platform/gdiplus_session.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

// RECT lives in the global namespace, so its comparison and printing for
// GoogleTest must too.
inline bool operator==(const RECT& A, const RECT& B) {
    return A.left == B.left && A.top == B.top && A.right == B.right && A.bottom == B.bottom;
}
inline void PrintTo(const RECT& R, std::ostream* Out) {
    *Out << "{" << R.left << ", " << R.top << ", " << R.right << ", " << R.bottom << "}";
}

namespace quillon::test {

class WindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();

private:
    TGdiplusSession FGdiplus;
};

std::wstring WindowText(HWND Wnd);

// The colour of Wnd's client pixel (X, Y) once the window and its children
// have been drawn anew.
COLORREF PixelAt(HWND Wnd, int X, int Y);

// A window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND Wnd);

// Dispatches the messages waiting in this thread's queue.
void PumpMessages();

// Dispatches this thread's messages (and the messages other threads send
// it) until Done says so or Timeout has passed; Done's last answer.
bool PumpUntil(const std::function<bool()>& Done, std::chrono::milliseconds Timeout = std::chrono::seconds(20));
// Dispatches this thread's messages for a while.
void PumpFor(std::chrono::milliseconds Time);

}  // namespace quillon::test
