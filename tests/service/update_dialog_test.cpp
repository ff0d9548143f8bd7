// The reply step and its update dialog, driven the way a user would drive
// them, with replies from the endpoint stub and the shell opening links
// through the link recorder.
#include "platform/utf8.h"
#include "service/update_dialog.h"

#include "i18n/translation.h"
#include "platform/application.h"
#include "platform/ui_fonts.h"
#include "service/client_identity.h"
#include "service/update_check.h"
#include "service/update_text.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/endpoint_stub.h"
#include "tests/support/opened_links.h"
#include "tests/support/window_test.h"

#include <chrono>
#include <cstring>

namespace quillon {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using test::ChildrenOfClass;
using test::PixelAt;
using test::PressKey;
using test::PumpFor;
using test::PumpUntil;
using test::PushButtons;
using test::RectInParent;
using test::TDialogDriver;
using test::TEndpointStub;
using test::WindowText;
using TSteps = std::vector<TDialogDriver::TStep>;

constexpr COLORREF kSeparator = RGB(0xCC, 0xCC, 0xCC);

// The link as the service writes it, with escaped slashes.
std::string Escaped(const std::string& Link) {
    std::string escaped;
    for (const char c : Link) escaped += c == '/' ? std::string("\\/") : std::string(1, c);
    return escaped;
}

const std::wstring kDownload = TEndpointStub::Url(L"/download?from=test");
const std::wstring kNotes = TEndpointStub::Url(L"/notes");

std::string Offer(const std::string& Info = {}) {
    std::string reply = R"({"update":")" + Escaped(Utf8FromWide(kDownload)) + "\"";
    if (!Info.empty()) reply += R"(,"info":{)" + Info + "}";
    return reply + R"(,"name_white":["Contoso"]})";
}

int HeightOf(HWND Wnd) {
    RECT rect{};
    ::GetWindowRect(Wnd, &rect);
    return rect.bottom - rect.top;
}

bool IsDefault(HWND Button) { return (::GetWindowLongW(Button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }

class UpdateDialogTest : public test::WindowTest {
protected:
    UpdateDialogTest() {
        SetApplicationTitle(L"Quillon");
        // The application's window, which the dialog is modal over.
        FOwner = ::CreateWindowExW(0, L"STATIC", L"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                                   nullptr, nullptr, nullptr, nullptr);
        ::SetActiveWindow(FOwner);
    }
    ~UpdateDialogTest() override { ::DestroyWindow(FOwner); }

    // The reply step for Reply, with Steps acting on the dialog; the number
    // of dialogs shown.
    int Run(const std::string& Reply, TSteps Steps, const TReplyProc& Proc = {}) {
        FStub.Reset();  // the requests of the run before
        FStub.Reply(Reply);
        const TDialogDriver driver(std::move(Steps));
        Calls = 0;
        const TUpdateCheck check = CheckUpdate(TEndpointStub::Url(L"/api.init.php"),
                                               [&](bool CloseIt, const std::wstring& Text) {
                                                   ++Calls;
                                                   Close = CloseIt;
                                                   Replied = Text;
                                                   if (Proc) Proc(CloseIt, Text);
                                               },
                                               10, {.PauseMs = 1});
        EXPECT_TRUE(PumpUntil([&] { return Calls > 0; })) << Reply;
        EXPECT_EQ(Calls, 1);
        return driver.Shown();
    }

    // The height of the dialog without a notice row, on this machine.
    int PlainHeight() {
        int height = 0;
        Run(Offer(), {[&](HWND Dialog) {
                height = HeightOf(Dialog);
                PressKey(Dialog, VK_ESCAPE);
            }});
        return height;
    }

    HWND FOwner = nullptr;
    TEndpointStub FStub;
    int Calls = 0;
    bool Close = false;
    std::wstring Replied;
};

TEST_F(UpdateDialogTest, AnOfferAsksInTheInterfaceLanguageAndYesOpensTheLinkBeforeTheCallback) {
    const test::TOpenedLinks links;
    std::vector<std::wstring> openedAtCallback;
    const int shown = Run(Offer(), {[&](HWND Dialog) {
                              EXPECT_EQ(WindowText(Dialog), Translate(ApplicationTitle()));
                              EXPECT_EQ(::GetWindow(Dialog, GW_OWNER), FOwner);
                              EXPECT_FALSE(::IsWindowEnabled(FOwner)) << "modal over the application";
                              EXPECT_FALSE(::GetWindowLongW(Dialog, GWL_EXSTYLE) & WS_EX_TOPMOST);

                              const std::vector<HWND> texts = ChildrenOfClass(Dialog, L"Static");
                              ASSERT_EQ(texts.size(), 1u) << "the message only: no notice row";
                              EXPECT_EQ(WindowText(texts[0]), UpdateText(kUpdateMessage));
                              const std::vector<HWND> buttons = PushButtons(Dialog);
                              ASSERT_EQ(buttons.size(), 2u);
                              EXPECT_EQ(WindowText(buttons[0]), UpdateText(kUpdateYes));
                              EXPECT_EQ(WindowText(buttons[1]), UpdateText(kUpdateNo));
                              EXPECT_TRUE(IsDefault(buttons[0]));
                              EXPECT_EQ(::GetFocus(), buttons[0]);
                              EXPECT_EQ(test::CheckBoxOf(Dialog), nullptr);

                              // Centred on the screen's work area.
                              RECT window{};
                              ::GetWindowRect(Dialog, &window);
                              RECT work{};
                              ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
                              EXPECT_NEAR((window.left + window.right) / 2, (work.left + work.right) / 2, 1);
                              EXPECT_NEAR((window.top + window.bottom) / 2, (work.top + work.bottom) / 2, 1);
                              PressKey(Dialog, VK_RETURN);
                          }},
                          [&](bool, const std::wstring&) { openedAtCallback = links.WaitFor(1); });
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(Close);
    EXPECT_EQ(Replied, WideFromUtf8(Offer()));
    // Waited for inside the callback: had the link gone to the shell only
    // after it, it would never have come.
    EXPECT_EQ(openedAtCallback, std::vector<std::wstring>{kDownload}) << "with plain slashes";
    EXPECT_TRUE(::IsWindowEnabled(FOwner));
    EXPECT_EQ(links.WaitFor(2, 1s).size(), 1u) << "opened once";
}

TEST_F(UpdateDialogTest, EscapeNoAndClosingAreNoAndEnterOnNoIsNo) {
    const test::TOpenedLinks links;
    const TSteps escape{[](HWND Dialog) { PressKey(Dialog, VK_ESCAPE); }};
    const TSteps close{[](HWND Dialog) { ::PostMessageW(Dialog, WM_CLOSE, 0, 0); }};
    const TSteps clickNo{[](HWND Dialog) { ::SendMessageW(PushButtons(Dialog)[1], BM_CLICK, 0, 0); }};
    const TSteps tabThenEnter{[](HWND Dialog) { PressKey(Dialog, VK_TAB); },
                              [](HWND Dialog) {
                                  const std::vector<HWND> buttons = PushButtons(Dialog);
                                  EXPECT_EQ(::GetFocus(), buttons[1]);
                                  EXPECT_TRUE(IsDefault(buttons[1])) << "Enter now presses No, and it shows";
                                  EXPECT_FALSE(IsDefault(buttons[0]));
                                  PressKey(Dialog, VK_RETURN);
                              }};
    for (const TSteps& steps : {escape, close, clickNo, tabThenEnter}) {
        EXPECT_EQ(Run(Offer(), steps), 1);
        EXPECT_FALSE(Close);
        EXPECT_EQ(Replied, WideFromUtf8(Offer()));
    }
    EXPECT_TRUE(::IsWindowEnabled(FOwner));
    EXPECT_TRUE(links.WaitFor(1, 2s).empty()) << "No opens nothing";
}

TEST_F(UpdateDialogTest, ATickedHoldBoxSendsOneHoldRequestWhateverTheAnswer) {
    const int plain = PlainHeight();
    const std::string hold = Offer(R"("style":"hold","text":"Don't remind me","flag":"","url":"")");

    // Unticked: nothing more is sent.
    Run(hold, {[](HWND Dialog) { PressKey(Dialog, VK_ESCAPE); }});
    PumpFor(500ms);
    EXPECT_EQ(FStub.RequestsTo("/api.init.php").size(), 1u);

    Run(hold, {[&](HWND Dialog) {
                   const int height = HeightOf(Dialog);
                   EXPECT_EQ(height, plain + 30);
                   HWND box = test::CheckBoxOf(Dialog);
                   ASSERT_NE(box, nullptr);
                   EXPECT_EQ(WindowText(box), L"Don't remind me");
                   EXPECT_EQ(::SendMessageW(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
                   RECT client{};
                   ::GetClientRect(Dialog, &client);
                   const RECT place = RectInParent(box);
                   EXPECT_EQ(place.left, 10);
                   EXPECT_EQ(place.top, height - 56);
                   EXPECT_EQ(place.right, client.right) << "as wide as the dialog";
                   EXPECT_EQ(PixelAt(Dialog, 5, height - 66), kSeparator);
                   EXPECT_EQ(PixelAt(Dialog, client.right - 2, height - 66), kSeparator);
                   EXPECT_NE(PixelAt(Dialog, 5, height - 65), kSeparator) << "one pixel high";
                   ::SendMessageW(box, BM_CLICK, 0, 0);
               },
               [](HWND Dialog) { PressKey(Dialog, VK_ESCAPE); }});
    EXPECT_FALSE(Close);
    ASSERT_TRUE(PumpUntil([&] { return FStub.RequestsTo("/api.init.php").size() == 2; }, 10s));
    PumpFor(500ms);
    const json requests = FStub.RequestsTo("/api.init.php");
    ASSERT_EQ(requests.size(), 2u) << "exactly one hold request, no retry";
    const std::vector<std::pair<std::string, std::string>> expected{{"User-Version", Utf8FromWide(GetAppVersion())},
                                                                    {"User-Command", "hold"}};
    EXPECT_EQ(test::CustomHeaders(requests[1]), expected);
    EXPECT_EQ(requests[1]["method"], "GET");
}

TEST_F(UpdateDialogTest, TheNoteLinkOpensItsAddressOnEveryClickAndTheDialogStays) {
    const test::TOpenedLinks links;
    const std::string note =
        Offer(R"("style":"note","text":"Read the release notes","url":")" + Escaped(Utf8FromWide(kNotes)) + "\"");
    Run(note, {[&](HWND Dialog) {
                   const std::vector<HWND> texts = ChildrenOfClass(Dialog, L"Static");
                   ASSERT_EQ(texts.size(), 2u);
                   HWND link = texts[1];
                   EXPECT_EQ(WindowText(link), L"Read the release notes");
                   const RECT place = RectInParent(link);
                   EXPECT_EQ(place.left, 10);
                   EXPECT_EQ(place.top, HeightOf(Dialog) - 56);
                   LOGFONTW font{};
                   ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(link, WM_GETFONT, 0, 0)), sizeof font, &font);
                   EXPECT_TRUE(font.lfUnderline);
                   ::SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                                  MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
                   EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_HAND));
                   for (int click = 0; click < 2; ++click) {
                       ::SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
                       ::SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
                   }
               },
               [](HWND Dialog) {
                   EXPECT_TRUE(::IsWindowVisible(Dialog)) << "a click on the link does not answer";
                   PressKey(Dialog, VK_ESCAPE);
               }});
    EXPECT_FALSE(Close);
    EXPECT_EQ(links.WaitFor(2), (std::vector<std::wstring>{kNotes, kNotes}));
}

TEST_F(UpdateDialogTest, AnyOtherStyleIsAnEmptyRowAndStayOnTopFollowsTheFlag) {
    const int plain = PlainHeight();
    struct TCase {
        std::string Info;
        int Grows;
        bool Separator;
        bool OnTop;
    };
    const TCase cases[] = {
        {R"("style":"Note","text":"Not a link","url":"http://127.0.0.1/x")", 30, true, false},
        {R"("style":"banner","text":"x")", 30, true, false},
        {R"("style":"","text":"x","flag":"stayontop")", 0, false, true},
        {R"("flag":"urgent,stayontop")", 0, false, true},
        {R"("style":"hold","text":"x","flag":"StayOnTop")", 30, true, false},
    };
    for (const TCase& c : cases) {
        Run(Offer(c.Info), {[&](HWND Dialog) {
                const int height = HeightOf(Dialog);
                EXPECT_EQ(height, plain + c.Grows) << c.Info;
                EXPECT_EQ(ChildrenOfClass(Dialog, L"Static").size(), 1u) << "no link: " << c.Info;
                EXPECT_EQ(test::CheckBoxOf(Dialog) != nullptr, c.Info.find("hold") != std::string::npos) << c.Info;
                EXPECT_EQ(PixelAt(Dialog, 5, height - 66) == kSeparator, c.Separator) << c.Info;
                EXPECT_EQ((::GetWindowLongW(Dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, c.OnTop) << c.Info;
                PressKey(Dialog, VK_ESCAPE);
            }});
    }
}

TEST_F(UpdateDialogTest, TheRowIsPlacedAtTheDialogsDpi) {
    const std::string hold = Offer(R"("style":"hold","text":"Don't remind me")");
    Run(hold, {[](HWND Dialog) {
                   RECT suggested{};
                   ::GetWindowRect(Dialog, &suggested);
                   ::SendMessageW(Dialog, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
               },
               [](HWND Dialog) {
                   const int height = HeightOf(Dialog);
                   const RECT place = RectInParent(test::CheckBoxOf(Dialog));
                   EXPECT_EQ(place.left, 15);
                   EXPECT_EQ(place.top, height - 84);
                   EXPECT_EQ(PixelAt(Dialog, 5, height - 99), kSeparator);
                   LOGFONTW font{};
                   ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(PushButtons(Dialog)[0], WM_GETFONT, 0, 0)),
                                sizeof font, &font);
                   EXPECT_EQ(font.lfHeight, MessageLogFont(144).lfHeight);
                   PressKey(Dialog, VK_ESCAPE);
               }});
}

// A right-to-left program (Arabic) shows its dialog mirrored like its main
// window: the buttons at the left edge, Yes to the right of No.
TEST_F(UpdateDialogTest, AMirroredProgramMirrorsTheDialog) {
    for (const bool mirrored : {true, false}) {
        SCOPED_TRACE(mirrored ? "right to left" : "left to right");
        ::SetProcessDefaultLayout(mirrored ? LAYOUT_RTL : 0);
        Run(Offer(), {[&](HWND Dialog) {
                EXPECT_EQ((::GetWindowLongW(Dialog, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0, mirrored);
                RECT dialog{};
                ::GetWindowRect(Dialog, &dialog);
                const std::vector<HWND> buttons = PushButtons(Dialog);
                ASSERT_EQ(buttons.size(), 2u);
                RECT yes{};
                RECT no{};
                ::GetWindowRect(buttons[0], &yes);
                ::GetWindowRect(buttons[1], &no);
                // No is the outer button, at the dialog's trailing edge.
                EXPECT_EQ(no.left - dialog.left < dialog.right - no.right, mirrored);
                EXPECT_EQ(yes.left > no.left, mirrored);
                PressKey(Dialog, VK_ESCAPE);
            }});
    }
}

TEST_F(UpdateDialogTest, NoOfferMeansNoDialogAndTheReplyGoesOn) {
    const test::TOpenedLinks links;
    const char* replies[] = {
        R"({"update":"","name_white":["a"]})",
        R"({"update": "http://127.0.0.1/x"})",
        R"({"update":"cmd.exe"})",
        R"({"update":"cmd.exe /c calc"})",
        R"({"update":"C:\\Windows\\System32\\calc.exe"})",
        R"({"update":"\\\\127.0.0.1\\share\\setup.exe"})",
        R"({"update":"file:\/\/\/C:\/Windows\/notepad.exe"})",
        R"({"update":"ftp:\/\/127.0.0.1\/x"})",
        R"({"update":"quillon-probe:x"})",
        R"x({"update":"javascript:alert(1)"})x",
        R"({"update":"http:\/\/127.0.0.1\/x\" --new-window \"y"})",
        R"({"update":"http:\/\/127.0.0.1\/\u12G4"})",
        R"({"update":"http:\/\/127.0.0.1\/\u"})",
        "<html><body>404</body></html>",
        "",
    };
    for (const char* reply : replies) {
        EXPECT_EQ(Run(reply, {[](HWND Dialog) { PressKey(Dialog, VK_RETURN); }}), 0) << reply;
        EXPECT_FALSE(Close);
        EXPECT_EQ(Replied, WideFromUtf8(reply)) << reply;
    }
    EXPECT_TRUE(links.WaitFor(1, 2s).empty());
}

TEST_F(UpdateDialogTest, ANoteLinkThatIsNoWebAddressOpensNothing) {
    const test::TOpenedLinks links;
    for (const char* url : {R"(ftp:\/\/127.0.0.1\/x)", "quillon-probe:x", "cmd.exe", R"(C:\\Windows\\notepad.exe)",
                            R"(\\\\127.0.0.1\\share\\x.exe)", "", R"(http:\/\/127.0.0.1\/a b)"}) {
        Run(Offer(R"("style":"note","text":"Notes","url":")" + std::string(url) + "\""),
            {[](HWND Dialog) {
                 HWND link = ChildrenOfClass(Dialog, L"Static")[1];
                 ::SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
                 ::SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
             },
             [](HWND Dialog) { PressKey(Dialog, VK_ESCAPE); }});
    }
    EXPECT_TRUE(links.WaitFor(1, 2s).empty());
}

}  // namespace
}  // namespace quillon
