/* The least a program can do to show a window with a filled list, for
   start_bench to compare Quillon's start with: one window, one report list
   of two columns with a few rows, the common controls of version 6. */
#include <windows.h>
#include <commctrl.h>

static LRESULT CALLBACK WindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
    if (Msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

int WINAPI wWinMain(HINSTANCE Instance, HINSTANCE Previous, PWSTR CommandLine, int Show) {
    (void)Previous;
    (void)CommandLine;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass = {0};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = Instance;
    windowClass.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    windowClass.lpszClassName = L"MinimalList";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"MinimalList", L"Minimal", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  412, 432, NULL, NULL, Instance, NULL);
    HWND list = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 8, 50, 380, 330, window,
                                NULL, Instance, NULL);
    LVCOLUMNW column = {0};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 300;
    column.pszText = L"Program";
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, (LPARAM)&column);
    column.cx = 60;
    column.pszText = L"Source";
    SendMessageW(list, LVM_INSERTCOLUMNW, 1, (LPARAM)&column);
    for (int row = 0; row < 10; ++row) {
        wchar_t text[32];
        wsprintfW(text, L"Program %d", row + 1);
        LVITEMW item = {0};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = text;
        SendMessageW(list, LVM_INSERTITEMW, 0, (LPARAM)&item);
        item.iSubItem = 1;
        item.pszText = L"HKCU";
        SendMessageW(list, LVM_SETITEMTEXTW, row, (LPARAM)&item);
    }
    ShowWindow(window, Show);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
