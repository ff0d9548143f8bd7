// From a program's start to its first filled list, measured from outside:
// the time from CreateProcess until a shown window of the new process has a
// list with rows, for Quillon (each program given on the command line) and
// for a minimal program that does nothing but show a window with a filled
// list (tools/bench/minimal_list.c), started in turns in the same prefix.
// After two starts of each to warm the prefix's caches, eleven starts each;
// the medians are compared. The endpoint stub answers at once (tools/bench.sh
// starts it), although the list no longer waits for it.
//   start_bench.exe MINIMAL.exe QUILLON.exe [QUILLON32.exe]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

struct TSearch {
    DWORD ProcessId;
    HWND Main = nullptr;
    HWND List = nullptr;
};

BOOL CALLBACK FindList(HWND Child, LPARAM Param) {
    wchar_t name[64]{};
    ::GetClassNameW(Child, name, 64);
    if (std::wstring(name) != WC_LISTVIEWW) return TRUE;
    reinterpret_cast<TSearch*>(Param)->List = Child;
    return FALSE;
}

BOOL CALLBACK FindMain(HWND Wnd, LPARAM Param) {
    auto& search = *reinterpret_cast<TSearch*>(Param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(Wnd, &owner);
    if (owner != search.ProcessId || !::IsWindowVisible(Wnd)) return TRUE;
    search.List = nullptr;
    ::EnumChildWindows(Wnd, &FindList, Param);
    if (!search.List) return TRUE;
    search.Main = Wnd;
    return FALSE;
}

struct TStart {
    double Shown = -1;   // a window of the process is shown
    double Filled = -1;  // its list has rows
};

// Milliseconds from the start of Exe to a shown window of it, and to that
// window's list with rows; negative when that did not happen within 30
// seconds.
TStart TimeToFilledList(const std::wstring& Exe) {
    std::wstring command = L"\"" + Exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const auto started = TClock::now();
    TStart times;
    if (!::CreateProcessW(Exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return times;
    const auto since = [&started] {
        return std::chrono::duration<double, std::milli>(TClock::now() - started).count();
    };
    TSearch search{info.dwProcessId};
    while (TClock::now() - started < std::chrono::seconds(30)) {
        search.Main = nullptr;
        ::EnumWindows(&FindMain, reinterpret_cast<LPARAM>(&search));
        if (search.Main && times.Shown < 0) times.Shown = since();
        if (search.Main && ::SendMessageW(search.List, LVM_GETITEMCOUNT, 0, 0) > 0) {
            times.Filled = since();
            break;
        }
        ::Sleep(1);
    }
    // Ended before the next start: Quillon runs one copy at a time.
    if (search.Main) ::PostMessageW(search.Main, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(info.hProcess, 15000) != WAIT_OBJECT_0) ::TerminateProcess(info.hProcess, 1);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return times;
}

double Median(std::vector<double> Values) {
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

}  // namespace

int wmain(int Count, wchar_t** Arguments) {
    if (Count < 3) {
        std::fprintf(stderr, "usage: start_bench MINIMAL.exe QUILLON.exe [QUILLON32.exe]\n");
        return 2;
    }
    std::vector<std::wstring> programs(Arguments + 1, Arguments + Count);
    constexpr int kWarmUps = 2;
    constexpr int kRounds = 11;
    std::vector<std::vector<double>> filled(programs.size());
    std::vector<std::vector<double>> shown(programs.size());
    for (int round = -kWarmUps; round < kRounds; ++round) {
        for (std::size_t i = 0; i < programs.size(); ++i) {
            const TStart start = TimeToFilledList(programs[i]);
            if (start.Filled < 0) {
                std::fwprintf(stderr, L"%ls showed no filled list\n", programs[i].c_str());
                return 1;
            }
            if (round < 0) continue;
            filled[i].push_back(start.Filled);
            shown[i].push_back(start.Shown);
        }
    }
    const double minimal = Median(filled[0]);
    std::printf(
        "start to first filled list, medians of %d starts each, ms (window shown; list filled, its least\n"
        "and most; ratio of the filled list's median to the minimal program's):\n",
        kRounds);
    for (std::size_t i = 0; i < programs.size(); ++i) {
        const std::vector<double>& t = filled[i];
        std::printf("  %ls\n      shown %7.1f   filled %7.1f  (%6.1f to %6.1f)   ratio %.2f\n", programs[i].c_str(),
                    Median(shown[i]), Median(t), *std::min_element(t.begin(), t.end()),
                    *std::max_element(t.begin(), t.end()), Median(t) / minimal);
    }
    return 0;
}
