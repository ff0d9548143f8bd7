// The virtual list's context menu from the keyboard: the menu key and
// Shift+F10 ask for it below the selected row, or at the list's corner
// below the column headers when no row is selected.
#include "platform/controls/list_view.h"

#include "platform/window.h"
#include "tests/support/window_test.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace quillon {
namespace {

class THost final : public TWindow {
public:
    THost() {
        CreateFor(L"QuillonListTestHost", 0, WS_OVERLAPPEDWINDOW | WS_VISIBLE, {50, 50, 450, 450}, nullptr);
        List = std::make_unique<TListView>(TListViewArgs{Handle(), {L"Name", L"Loc"}});
        List->MoveTo({0, 0, 400, 300});
        List->OnText = [](int, int) { return std::wstring_view(L"row"); };
        List->OnContextMenu = [this](POINT At) { Asked.push_back(At); };
        List->SetRowCount(10);
    }
    std::unique_ptr<TListView> List;
    std::vector<POINT> Asked;
};

void Press(std::initializer_list<WORD> Keys) {
    std::vector<INPUT> inputs;
    for (WORD key : Keys) inputs.push_back({INPUT_KEYBOARD, {.ki = {key, 0, 0, 0, 0}}});
    for (auto key = std::rbegin(Keys); key != std::rend(Keys); ++key) {
        inputs.push_back({INPUT_KEYBOARD, {.ki = {*key, 0, KEYEVENTF_KEYUP, 0, 0}}});
    }
    ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    for (int i = 0; i < 20; ++i) {
        test::PumpMessages();
        ::Sleep(10);
    }
}

class ListViewTest : public test::WindowTest {};

TEST_F(ListViewTest, TheKeyboardOpensTheMenuAtTheSelectedRowOrTheCorner) {
    THost host;
    HWND list = host.List->Handle();
    ::SetForegroundWindow(host.Handle());
    ::SetFocus(list);
    test::PumpMessages();
    ASSERT_EQ(::GetFocus(), list);

    RECT header{};
    ::GetWindowRect(ListView_GetHeader(list), &header);
    POINT corner{0, header.bottom - header.top};
    ::ClientToScreen(list, &corner);
    Press({VK_APPS});
    ASSERT_EQ(host.Asked.size(), 1u) << "the menu key";
    EXPECT_EQ(host.Asked[0].x, corner.x);
    EXPECT_EQ(host.Asked[0].y, corner.y);

    host.List->SelectRow(3);
    RECT row{};
    ListView_GetItemRect(list, 3, &row, LVIR_LABEL);
    POINT below{row.left, row.bottom};
    ::ClientToScreen(list, &below);
    Press({VK_SHIFT, VK_F10});
    ASSERT_EQ(host.Asked.size(), 2u) << "Shift+F10";
    EXPECT_EQ(host.Asked[1].x, below.x);
    EXPECT_EQ(host.Asked[1].y, below.y);
}

}  // namespace
}  // namespace quillon
