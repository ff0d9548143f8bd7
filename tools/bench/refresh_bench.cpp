// How the refresh's merge step grows with the inventory: synthetic
// inventories of 1,000 to 16,000 entries, merged into an empty list (a
// fresh fill) and into a list that already holds every row (a refresh).
// Prints the time per size and the ratio of each size to the one before.
#include "view/row_merge.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

using namespace quillon;

TAutorunList MakeInventory(int Count) {
    const wchar_t* sources[] = {L"FILE", L"HKLM", L"HKCU", L"SCHE", L"SERV"};
    TAutorunList list;
    list.reserve(static_cast<size_t>(Count));
    for (int i = 0; i < Count; ++i) {
        TAutorunInfo entry;
        entry.From = sources[i % 5];
        entry.Caption = L"Entry number " + std::to_wstring(i);
        entry.Target = L"HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Entry number " + std::to_wstring(i);
        entry.Enabled = i % 3 != 0;
        list.push_back(std::move(entry));
    }
    return list;
}

// Microseconds per run: each measurement repeats Run until about 20 ms have
// passed, so timer resolution and one-off stalls fade; the best of a few
// measurements is the least disturbed one.
template <typename Fn>
double MicrosecondsPerRun(Fn&& Run) {
    using Clock = std::chrono::steady_clock;
    Run();  // warm the caches and the heap
    double best = 1e300;
    for (int round = 0; round < 7; ++round) {
        int runs = 0;
        const auto start = Clock::now();
        auto stop = start;
        do {
            Run();
            ++runs;
            stop = Clock::now();
        } while (stop - start < std::chrono::milliseconds(20));
        best = std::min(best, std::chrono::duration<double, std::micro>(stop - start).count() / runs);
    }
    return best;
}

}  // namespace

int wmain() {
    const TRowMergeHooks hooks{[](const TAutorunInfo&) { return false; },
                               [](const TAutorunInfo&, TAutorunItem& row) { row.Icon = 1; }};
    std::printf("%8s %14s %8s %14s %8s\n", "entries", "fresh (us)", "ratio", "refresh (us)", "ratio");
    double lastFresh = 0;
    double lastRefresh = 0;
    for (int count = 1000; count <= 16000; count *= 2) {
        const TAutorunList inventory = MakeInventory(count);
        std::vector<TAutorunItem> filled;
        MergeRows(filled, inventory, true, hooks);
        const double fresh = MicrosecondsPerRun([&] {
            std::vector<TAutorunItem> rows;
            MergeRows(rows, inventory, true, hooks);
        });
        // Merging into rows that hold every entry leaves them as they are,
        // so the same rows serve every round.
        const double refresh = MicrosecondsPerRun([&] { MergeRows(filled, inventory, true, hooks); });
        if (lastFresh > 0) {
            std::printf("%8d %14.0f %8.2f %14.0f %8.2f\n", count, fresh, fresh / lastFresh, refresh,
                        refresh / lastRefresh);
        } else {
            std::printf("%8d %14.0f %8s %14.0f %8s\n", count, fresh, "-", refresh, "-");
        }
        lastFresh = fresh;
        lastRefresh = refresh;
    }
    return 0;
}
