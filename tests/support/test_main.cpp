// Entry point of every test program: wide arguments, and the common
// controls set up at start as the program sets them up.
#include <gmock/gmock.h>
#include <windows.h>
#include <commctrl.h>

int wmain(int argc, wchar_t** argv) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
