// The main window and its list frame, created in-process on Wine's desktop.
#include "app/main_layout.h"
#include "app/main_window.h"
#include "app/message_loop.h"
#include "i18n/translation.h"
#include "tests/support/endpoint_stub.h"
#include "tests/support/window_test.h"
#include "view/list_images.h"

#include <commctrl.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <utility>

namespace quillon {
namespace {

using test::RectInParent;
using test::WindowText;

LOGFONTW FontOf(HWND Wnd) {
    LOGFONTW font{};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(Wnd, WM_GETFONT, 0, 0)), sizeof(font), &font);
    return font;
}

// The home button in the window's client coordinates.
RECT HomeRect(TFrmQuillon& Form) {
    RECT button = Form.BtnHead().ButtonRect(TFrmQuillon::kBtnHome);
    const RECT bar = RectInParent(Form.BtnHead().Handle());
    ::OffsetRect(&button, bar.left, bar.top);
    return button;
}

std::wstring HomeText(TFrmQuillon& Form) {
    HWND bar = Form.BtnHead().Handle();
    TBBUTTON button{};
    ::SendMessageW(bar, TB_GETBUTTON, TFrmQuillon::kBtnHome, reinterpret_cast<LPARAM>(&button));
    wchar_t text[64]{};
    ::SendMessageW(bar, TB_GETBUTTONTEXTW, static_cast<WPARAM>(button.idCommand), reinterpret_cast<LPARAM>(text));
    return text;
}

int RowHeight(HWND List) {
    RECT row{};
    ListView_GetItemRect(List, 0, &row, LVIR_BOUNDS);
    return row.bottom - row.top;
}

class MainWindowTest : public test::WindowTest {
protected:
    // Each window asks the service at start: the stub answers with nothing.
    const test::TEndpointStub FStub;
};

TEST_F(MainWindowTest, LaysOutTheHeaderTheLogoAndTheFrameAt96Dpi) {
    TFrmQuillon form;
    ASSERT_TRUE(::IsWindow(form.Handle()));
    ASSERT_EQ(::GetDpiForWindow(form.Handle()), 96u) << "the test prefix runs at 96 DPI";
    RECT client{};
    ::GetClientRect(form.Handle(), &client);
    EXPECT_EQ(client.right, 412);
    EXPECT_EQ(client.bottom, 432);
    EXPECT_EQ(WindowText(form.Handle()), L"Quillon");  // the product name in every language

    // Below the accent line, two pixels at 96 DPI.
    EXPECT_EQ(form.ThemeHelper().LineHeight(), 2);
    const TMainLayout layout = ComputeMainLayout(96, 2);
    EXPECT_EQ(RectInParent(form.BtnHead().Handle()), layout.BtnHead);
    EXPECT_EQ(HomeRect(form), layout.BtnHome);
    EXPECT_EQ(RectInParent(form.ImgLogo()), layout.ImgLogo);
    EXPECT_EQ(RectInParent(form.FrmAutorun().Handle()), layout.Card);
    EXPECT_EQ(HomeText(form), Translate(L"처음화면"));
    EXPECT_TRUE(form.BtnHead().Down(TFrmQuillon::kBtnHome));
    // A click does not lift it: it shows where the user is.
    const RECT home = form.BtnHead().ButtonRect(TFrmQuillon::kBtnHome);
    const LPARAM centre = MAKELPARAM((home.left + home.right) / 2, (home.top + home.bottom) / 2);
    ::SendMessageW(form.BtnHead().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, centre);
    ::SendMessageW(form.BtnHead().Handle(), WM_LBUTTONUP, 0, centre);
    EXPECT_TRUE(form.BtnHead().Down(TFrmQuillon::kBtnHome));
    EXPECT_EQ(::GetClassLongPtrW(form.ImgLogo(), GCLP_HCURSOR),
              reinterpret_cast<LONG_PTR>(::LoadCursorW(nullptr, IDC_HAND)));

    // Every control speaks the desktop's icon-title font.
    const LOGFONTW expected = IconTitleLogFont(96);
    for (HWND control :
         {form.BtnHead().Handle(), form.FrmAutorun().ListAutorun().Handle(), form.FrmAutorun().BtnAutorun().Handle()}) {
        const LOGFONTW font = FontOf(control);
        EXPECT_STREQ(font.lfFaceName, expected.lfFaceName);
        EXPECT_EQ(font.lfHeight, expected.lfHeight);
    }
}

TEST_F(MainWindowTest, FrameHasTwoColumnsTheCheckBoxTheButtonAndTheMenu) {
    TFrmQuillon form;
    TFrmAutorun& frame = form.FrmAutorun();
    HWND list = frame.ListAutorun().Handle();
    EXPECT_EQ(Header_GetItemCount(ListView_GetHeader(list)), 2);
    RECT listClient{};
    ::GetClientRect(list, &listClient);
    EXPECT_EQ(ListView_GetColumnWidth(list, 1), 50);
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), listClient.right - 50);
    EXPECT_TRUE(ListView_GetExtendedListViewStyle(list) & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(::GetWindowLongW(list, GWL_STYLE) & LVS_SINGLESEL);

    EXPECT_EQ(WindowText(frame.ChkAllList().Handle()), Translate(L"전체목록"));
    EXPECT_EQ(::SendMessageW(frame.ChkAllList().Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(WindowText(frame.BtnAutorun().Handle()), Translate(L"사용안함"));

    ASSERT_EQ(::GetMenuItemCount(frame.Menu().Handle()), 1);
    wchar_t item[32]{};
    ::GetMenuStringW(frame.Menu().Handle(), 0, item, 32, MF_BYPOSITION);
    EXPECT_EQ(std::wstring(item), L"목록 저장") << "the menu item has no translation";
}

TEST_F(MainWindowTest, RowsComeFromTheModelTwentyFourPixelsHigh) {
    TFrmQuillon form;
    TFrmAutorun& frame = form.FrmAutorun();
    frame.Rows() = {{.FileName = L"Alpha Tool",
                     .Target = L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Alpha",
                     .From = L"HKCU",
                     .Icon = kImageRegistry,
                     .Enabled = true},
                    {.FileName = L"Beta Service", .Target = L"beta", .From = L"SERV", .Icon = kImageGears}};
    frame.RowsChanged();
    HWND list = frame.ListAutorun().Handle();
    ASSERT_EQ(ListView_GetItemCount(list), 2);

    wchar_t text[64]{};
    ListView_GetItemText(list, 0, 0, text, 64);
    EXPECT_STREQ(text, L"Alpha Tool");
    ListView_GetItemText(list, 1, 1, text, 64);
    EXPECT_STREQ(text, L"SERV");
    LVITEMW image{};
    image.mask = LVIF_IMAGE;
    image.iItem = 1;
    ListView_GetItem(list, &image);
    EXPECT_EQ(image.iImage, kImageGears);
    EXPECT_EQ(RowHeight(list), 24);
    EXPECT_EQ(ImageList_GetImageCount(ListView_GetImageList(list, LVSIL_SMALL)), kFixedImageCount);
}

TEST_F(MainWindowTest, MovingToA144DpiMonitorScalesTheLayoutFontsAndRows) {
    TFrmQuillon form;
    TFrmAutorun& frame = form.FrmAutorun();
    frame.Rows() = {{.FileName = L"Alpha", .Target = L"alpha", .From = L"SERV", .Icon = kImageGears, .Enabled = true}};
    frame.RowsChanged();

    RECT suggested{100, 100, 0, 0};
    RECT size{0, 0, 618, 648};
    ::AdjustWindowRectExForDpi(&size, static_cast<DWORD>(::GetWindowLongW(form.Handle(), GWL_STYLE)), FALSE,
                               static_cast<DWORD>(::GetWindowLongW(form.Handle(), GWL_EXSTYLE)), 144);
    suggested.right = suggested.left + size.right - size.left;
    suggested.bottom = suggested.top + size.bottom - size.top;
    ::SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));

    const TMainLayout layout = ComputeMainLayout(144, 3);
    EXPECT_EQ(RectInParent(frame.Handle()), layout.Card);
    EXPECT_EQ(HomeRect(form), layout.BtnHome);
    EXPECT_EQ(ListView_GetColumnWidth(frame.ListAutorun().Handle(), 1), 75);
    EXPECT_EQ(RowHeight(frame.ListAutorun().Handle()), 36);
    EXPECT_EQ(FontOf(frame.ListAutorun().Handle()).lfHeight, IconTitleLogFont(144).lfHeight);
}

LRESULT CALLBACK RefuseCreation(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg == WM_NCCREATE) return FALSE;
    return ::DefWindowProcW(Wnd, Msg, WParam, LParam);
}

// A main window that cannot be made ends the program with code 1 at once,
// rather than a loop that waits for a window that never comes.
TEST_F(MainWindowTest, AWindowThatCannotBeMadeEndsTheRunWithCodeOne) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    ::UnregisterClassW(L"QuillonMainWindow", instance);  // made by the tests before
    WNDCLASSW refusing{};
    refusing.lpfnWndProc = &RefuseCreation;
    refusing.hInstance = instance;
    refusing.lpszClassName = L"QuillonMainWindow";
    ASSERT_TRUE(::RegisterClassW(&refusing));
    // Were the loop to run, this would end it with another code.
    ::PostQuitMessage(7);
    EXPECT_EQ(RunMainWindow(SW_HIDE), 1);
    ::UnregisterClassW(L"QuillonMainWindow", instance);
    test::PumpMessages();
}

// Records, whenever a control is given a font, whether the font it showed
// until then was still alive: one deleted first would be drawn from a dead
// handle by any paint in between.
LRESULT CALLBACK CheckOldFont(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT_PTR, DWORD_PTR DeadFonts) {
    if (Msg == WM_SETFONT) {
        const auto old = reinterpret_cast<HGDIOBJ>(::DefSubclassProc(Wnd, WM_GETFONT, 0, 0));
        if (old && ::GetObjectType(old) == 0) ++*reinterpret_cast<int*>(DeadFonts);
    }
    return ::DefSubclassProc(Wnd, Msg, WParam, LParam);
}

TEST_F(MainWindowTest, ControlsGetTheNewFontsBeforeTheOldOnesGo) {
    TFrmQuillon form;
    TFrmAutorun& frame = form.FrmAutorun();
    int deadFonts = 0;
    const HWND controls[] = {form.BtnHead().Handle(), frame.ListAutorun().Handle(), frame.ChkAllList().Handle(),
                             frame.BtnAutorun().Handle()};
    for (HWND control : controls)
        ::SetWindowSubclass(control, &CheckOldFont, 1, reinterpret_cast<DWORD_PTR>(&deadFonts));

    RECT suggested{100, 100, 800, 800};
    ::SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    ::SendMessageW(form.Handle(), WM_SETTINGCHANGE, SPI_SETICONTITLELOGFONT, 0);

    EXPECT_EQ(deadFonts, 0);
    for (HWND control : controls) {
        ::RemoveWindowSubclass(control, &CheckOldFont, 1);
        const auto font = reinterpret_cast<HGDIOBJ>(::SendMessageW(control, WM_GETFONT, 0, 0));
        EXPECT_EQ(::GetObjectType(font), static_cast<DWORD>(OBJ_FONT)) << "a control shows a deleted font";
    }
}

// Arabic mirrors the window and all in it, the way Windows mirrors its own;
// every other language keeps the left-to-right layout.
TEST_F(MainWindowTest, ArabicMirrorsTheWindowAndOthersDoNot) {
    for (const auto& [language, mirrored] :
         {std::pair{L"ar", true}, std::pair{L"en", false}, std::pair{L"ko", false}}) {
        SCOPED_TRACE(std::string(language, language + 2));
        ApplyLanguageLayout(language);
        TFrmQuillon form;
        const auto mirroredWindow = [](HWND Wnd) {
            return (::GetWindowLongPtrW(Wnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
        };
        EXPECT_EQ(mirroredWindow(form.Handle()), mirrored);
        EXPECT_EQ(mirroredWindow(form.FrmAutorun().ListAutorun().Handle()), mirrored);
        // The logo's place, at the band's right end, is then its left.
        RECT logo{};
        ::GetWindowRect(form.ImgLogo(), &logo);
        RECT window{};
        ::GetWindowRect(form.Handle(), &window);
        EXPECT_EQ(logo.left - window.left < (window.right - window.left) / 2, mirrored);
    }
    ApplyLanguageLayout(L"en");
}

// Every access violation the process raises, seen first, before any
// handler: a fault inside a callback that the system calls (a window's
// WM_SIZE during its creation, a list's notification) is swallowed there
// under Wine, and nothing else would show it.
class TAccessViolationWatch {
public:
    TAccessViolationWatch() : FHandler(::AddVectoredExceptionHandler(1, &TAccessViolationWatch::Seen)) {
        GCount = 0;
        GFirstAddress = nullptr;
    }
    ~TAccessViolationWatch() { ::RemoveVectoredExceptionHandler(FHandler); }
    TAccessViolationWatch(const TAccessViolationWatch&) = delete;
    TAccessViolationWatch& operator=(const TAccessViolationWatch&) = delete;

    [[nodiscard]] static long Count() { return GCount; }
    // Where the first one happened, as module and offset.
    [[nodiscard]] static std::wstring First() {
        HMODULE module = nullptr;
        ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             static_cast<LPCWSTR>(GFirstAddress), &module);
        wchar_t name[MAX_PATH]{};
        ::GetModuleFileNameW(module, name, MAX_PATH);
        const auto offset = reinterpret_cast<std::uintptr_t>(GFirstAddress) - reinterpret_cast<std::uintptr_t>(module);
        return std::wstring(name) + L"+" + std::to_wstring(offset);
    }

private:
    static LONG CALLBACK Seen(EXCEPTION_POINTERS* Pointers) {
        if (Pointers->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION &&
            ::InterlockedIncrement(&GCount) == 1) {
            GFirstAddress = Pointers->ExceptionRecord->ExceptionAddress;
        }
        return EXCEPTION_CONTINUE_SEARCH;
    }
    static inline volatile LONG GCount = 0;
    static inline void* GFirstAddress = nullptr;
    PVOID FHandler;
};

TEST_F(MainWindowTest, MakingShowingFillingAndClosingTheWindowTouchesNoInvalidMemory) {
    const test::TEndpointStub stub;
    stub.Reply(R"({"name_white":["ContosoWatchHidden"]})");
    const TAccessViolationWatch watch;
    {
        TFrmQuillon form;
        form.Show(SW_SHOWNORMAL);
        ASSERT_TRUE(test::PumpUntil([&] { return stub.RequestsTo("/api.init.php").size() == 1; }));
        test::PumpFor(std::chrono::milliseconds(500));  // the reply, and the list rebuilt with it
        ::SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    }
    EXPECT_EQ(watch.Count(), 0) << "first at " << ::testing::PrintToString(watch.First());
}

TEST_F(MainWindowTest, ClosingTheWindowEndsTheLoopWithCodeZero) {
    TFrmQuillon form;
    form.Show(SW_SHOWNORMAL);
    ::PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(RunMessageLoop(form.Handle()), 0);
    EXPECT_EQ(form.Handle(), nullptr);
}

}  // namespace
}  // namespace quillon
