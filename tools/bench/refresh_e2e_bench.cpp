// F5 in the real frame against a bare enumeration of the same data, from
// 1,000 to 16,000 Run values. Each Run value names a program file of its own
// with version strings and an icon, and a tenth as many start-up shortcuts
// name them too. F5 is timed from the key to the end of the list's first
// paint, which shows the rows on screen with their product names and icons.
// The bare enumeration, in the same process, lists the same Run values
// (names and data), the start-up folders and the services with their
// configuration, and nothing more. Also prints the program's private memory
// with 8,000 rows and, there, the time of one page of rows not yet shown.
// Removes what it made.
#include "app/main_window.h"
#include "i18n/translation.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/gdiplus_session.h"
#include "platform/registry.h"
#include "tools/bench/bare_enumeration.h"

#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace quillon;
using Microsoft::WRL::ComPtr;

const std::wstring kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::wstring kFolder = L"C:\\quillon-bench";

std::wstring Name(int I) { return L"QlnBench" + std::to_wstring(I); }
std::wstring Program(int I) { return kFolder + L"\\program" + std::to_wstring(I) + L".exe"; }

std::wstring StartupFolder() {
    wchar_t path[MAX_PATH]{};
    ::SHGetFolderPathW(nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, 0, path);
    return path;
}

std::wstring Shortcut(int I) { return StartupFolder() + L"\\" + Name(I) + L".lnk"; }

bool MakeShortcut(const std::wstring& Path, const std::wstring& Target) {
    ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) return false;
    link->SetPath(Target.c_str());
    ComPtr<IPersistFile> file;
    return SUCCEEDED(link.As(&file)) && SUCCEEDED(file->Save(Path.c_str(), TRUE));
}

// Grows the system to Count Run values and Count / 10 shortcuts.
void GrowTo(int From, int Count, const std::wstring& Template) {
    ::CreateDirectoryW(kFolder.c_str(), nullptr);
    for (int i = From; i < Count; ++i) {
        ::CopyFileW(Template.c_str(), Program(i).c_str(), FALSE);
        TReg::WriteString(HKEY_CURRENT_USER, kRunKey, Name(i), L"\"" + Program(i) + L"\" --tray");
        if (i % 10 == 0) MakeShortcut(Shortcut(i), Program(i));
    }
}

void RemoveAll(int Count) {
    for (int i = 0; i < Count; ++i) {
        TReg::DeleteValue(HKEY_CURRENT_USER, kRunKey, Name(i));
        ::DeleteFileW(Shortcut(i).c_str());
        ::DeleteFileW(Program(i).c_str());
    }
    ::RemoveDirectoryW(kFolder.c_str());
}

size_t BareFolder(int Csidl) {
    wchar_t folder[MAX_PATH]{};
    if (::SHGetFolderPathW(nullptr, Csidl, nullptr, 0, folder) != S_OK) return 0;
    return bench::BareFolder(folder);
}

size_t Bare() {
    size_t seen = BareFolder(CSIDL_COMMON_STARTUP) + BareFolder(CSIDL_STARTUP);
    seen += bench::BareRunKey(HKEY_LOCAL_MACHINE, kRunKey.c_str());
    seen += bench::BareRunKey(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run");
    seen += bench::BareRunKey(HKEY_CURRENT_USER, kRunKey.c_str());
    return seen + bench::BareServices();
}

template <typename TFn>
double Milliseconds(TFn&& Run) {
    const auto start = std::chrono::steady_clock::now();
    Run();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

template <typename TFn>
double BestMilliseconds(TFn&& Run) {
    double best = 1e300;
    for (int round = 0; round < 3; ++round) best = std::min(best, Milliseconds(Run));
    return best;
}

void PrintMemory(size_t Rows) {
    PROCESS_MEMORY_COUNTERS_EX memory{};
    ::GetProcessMemoryInfo(::GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    // Wine leaves PrivateUsage at zero; its commit charge (PagefileUsage) is
    // the same figure there, so the larger of the two is printed.
    const double megabyte = 1024.0 * 1024.0;
    std::printf("private memory with %zu rows: %.1f MB (working set %.1f MB)\n", Rows,
                static_cast<double>(std::max(memory.PrivateUsage, memory.PagefileUsage)) / megabyte,
                static_cast<double>(memory.WorkingSetSize) / megabyte);
}

// Pages of rows that were never shown since the last F5.
void PrintPageTimes(HWND List) {
    double slowest = 0;
    double total = 0;
    constexpr int kPages = 20;
    for (int page = 0; page < kPages; ++page) {
        const double time = Milliseconds([&] {
            ::SendMessageW(List, WM_VSCROLL, SB_PAGEDOWN, 0);
            ::UpdateWindow(List);
        });
        slowest = std::max(slowest, time);
        total += time;
    }
    std::printf("one page of new rows (%d rows a page): %.1f ms on average, %.1f ms at most\n",
                ListView_GetCountPerPage(List), total / kPages, slowest);
}

}  // namespace

int wmain() {
    InitFolderVariables();
    InitTranslation();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    ::CoInitialize(nullptr);
    TGdiplusSession gdiplus;
    const std::wstring module = ModulePath();
    const std::wstring program = module.substr(0, module.rfind(L'\\') + 1) + L"quillon_bench_program.exe";
    if (!FileExists(program)) {
        std::fprintf(stderr, "refresh_e2e_bench: quillon_bench_program.exe is not beside it\n");
        return 1;
    }

    TFrmQuillon form;
    if (!form.Handle()) {
        std::fprintf(stderr, "refresh_e2e_bench: the main window cannot be made\n");
        return 1;
    }
    form.Show(SW_SHOWNOACTIVATE);
    TFrmAutorun& frame = form.FrmAutorun();
    const HWND list = frame.ListAutorun().Handle();
    const auto pressF5 = [&] {
        ::SendMessageW(list, WM_KEYDOWN, VK_F5, 0);
        ::UpdateWindow(list);
    };

    std::printf("%8s %6s %12s %12s %8s %14s %12s\n", "Run", ".lnk", "F5 (ms)", "bare (ms)", "ratio", "F5 per size",
                "rows");
    int built = 0;
    double lastF5 = 0;
    for (int count = 1000; count <= 16000; count *= 2) {
        GrowTo(built, count, program);
        built = count;
        bench::PumpMessages();
        pressF5();  // the first refresh at this size warms what a user's second F5 finds warm
        const double f5 = BestMilliseconds(pressF5);
        const double bare = BestMilliseconds([] { Bare(); });
        std::printf("%8d %6d %12.1f %12.1f %8.2f %14s %12zu\n", count, (count + 9) / 10, f5, bare, f5 / bare,
                    lastF5 > 0 ? std::to_string(f5 / lastF5).substr(0, 4).c_str() : "-", frame.Rows().size());
        lastF5 = f5;
        if (count == 8000) {
            PrintMemory(frame.Rows().size());
            PrintPageTimes(list);
        }
    }

    RemoveAll(built);
    return 0;
}
