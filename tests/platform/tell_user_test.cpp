// A failure the user must hear of, leaving a window procedure: told in a
// box titled with the application's title, with one OK button, and the
// window goes on; one box at a time.
#include "platform/application.h"
#include "platform/tell_user.h"
#include "platform/window.h"
#include "tests/support/boxes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillon {
namespace {

// What the thread's boxes showed, answered with OK by a thread timer,
// which ticks inside a box's message loop.
struct TSeenBox {
    std::wstring Title;
    std::wstring Text;
    std::vector<std::wstring> Buttons;
};
std::vector<TSeenBox> gSeen;

void CALLBACK AnswerBoxes(HWND, UINT, UINT_PTR, DWORD) {
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND Wnd, LPARAM) CALLBACK -> BOOL {
            if (test::ClassName(Wnd) != L"#32770" || !::IsWindowVisible(Wnd)) return TRUE;
            TSeenBox seen{test::TextOf(Wnd), {}, {}};
            for (HWND child : test::ChildWindows(Wnd)) {
                if (test::ClassName(child) == L"Button") {
                    seen.Buttons.push_back(test::TextOf(child));
                } else {
                    seen.Text += test::TextOf(child);
                }
            }
            gSeen.push_back(seen);
            ::PostMessageW(Wnd, WM_COMMAND, IDOK, 0);
            return TRUE;
        },
        0);
}

// Fails on WM_APP, and once more from inside the first failure's box.
class TFailingWindow final : public TWindow {
public:
    TFailingWindow() {
        CreateFor(L"QuillonTellUserTest", 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, {0, 0, 200, 100}, nullptr);
    }
    int Failures = 0;

private:
    LRESULT OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam) override {
        if (Msg != WM_APP) return TWindow::OnMessage(Msg, WParam, LParam);
        if (++Failures == 1) ::PostMessageW(Handle(), WM_APP, 0, 0);  // handled inside the box
        throw TAppError(L"C:\\Startup\\Tool.lnk: Access is denied.", ERROR_ACCESS_DENIED, L"DeleteFileW");
    }
};

TEST(TellUser, AnAppErrorLeavingAWindowProcedureIsToldOnceAndTheWindowGoesOn) {
    SetApplicationTitle(L"Quillon");
    gSeen.clear();
    TFailingWindow window;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &AnswerBoxes);
    EXPECT_EQ(::SendMessageW(window.Handle(), WM_APP, 0, 0), 0);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(window.Failures, 2) << "the second failure came while the box was up";
    ASSERT_EQ(gSeen.size(), 1u) << "no box over the box";
    EXPECT_EQ(gSeen[0].Title, L"Quillon");
    EXPECT_EQ(gSeen[0].Text, L"C:\\Startup\\Tool.lnk: Access is denied.");
    EXPECT_EQ(gSeen[0].Buttons, std::vector<std::wstring>{L"OK"});
    EXPECT_TRUE(::IsWindow(window.Handle()));
}

}  // namespace
}  // namespace quillon
