// The inventory's cost against the bare enumeration of the same data.
// Builds a synthetic system in the Wine prefix (Run values with their
// approved-state values, start-up files, tasks through an in-memory Task
// Scheduler, the prefix's own services), then times CollectAutoruns and a
// bare pass that only reads the same values, lists the folder and queries
// the services, and prints both with their ratio. Removes what it made.
#include "autorun/approved_state.h"
#include "autorun/collect.h"
#include "autorun/run_keys.h"
#include "autorun/scheduled_tasks.h"
#include "autorun/services.h"
#include "autorun/startup_folders.h"
#include "platform/folders.h"
#include "platform/registry.h"
#include "tests/autorun/fake_task_service.h"
#include "tools/bench/bare_enumeration.h"

#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace quillon;

constexpr int kRunValues = 1000;
constexpr int kStartupFiles = 300;
constexpr int kTasks = 300;
const std::wstring kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

TFakeScheduler& Scheduler() {
    static TFakeScheduler scheduler;
    return scheduler;
}

void FakeTasks(TAutorunList& List) {
    CollectScheduledTasks(List, [] { return Scheduler().NewService(); });
}

std::wstring StartupFolder() {
    wchar_t path[MAX_PATH]{};
    ::SHGetFolderPathW(nullptr, CSIDL_STARTUP | CSIDL_FLAG_CREATE, nullptr, 0, path);
    return path;
}

std::wstring Name(int I) { return L"QuillonBench" + std::to_wstring(I); }

void BuildSystem(const std::wstring& Folder) {
    for (int i = 0; i < kRunValues; ++i) {
        TReg::WriteString(HKEY_CURRENT_USER, kRunKey, Name(i),
                          L"\"C:\\Program Files\\Bench Vendor\\tool" + std::to_wstring(i) + L".exe\" --tray");
        TReg::WriteBinary(HKEY_CURRENT_USER, kApprovedRunKey, Name(i), MakeApprovedValue(i % 4 != 0));
    }
    for (int i = 0; i < kStartupFiles; ++i) {
        const std::wstring file = Name(i) + L".lnk";
        ::CloseHandle(::CreateFileW((Folder + L"\\" + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        TReg::WriteBinary(HKEY_CURRENT_USER, kApprovedStartupFolderKey, file, MakeApprovedValue(i % 2 == 0));
    }
    for (int i = 0; i < kTasks; ++i) Scheduler().Tasks.push_back({Name(i), i % 3 != 0, false});
}

void RemoveSystem(const std::wstring& Folder) {
    for (int i = 0; i < kRunValues; ++i) {
        TReg::DeleteValue(HKEY_CURRENT_USER, kRunKey, Name(i));
        TReg::DeleteValue(HKEY_CURRENT_USER, kApprovedRunKey, Name(i));
    }
    for (int i = 0; i < kStartupFiles; ++i) {
        ::DeleteFileW((Folder + L"\\" + Name(i) + L".lnk").c_str());
        TReg::DeleteValue(HKEY_CURRENT_USER, kApprovedStartupFolderKey, Name(i) + L".lnk");
    }
}

size_t BareTasks() {
    auto service = Scheduler().NewService();
    VARIANT empty{};
    service->Connect(empty, empty, empty, empty);
    Microsoft::WRL::ComPtr<ITaskFolder> folder;
    BSTR root = ::SysAllocString(L"\\");
    service->GetFolder(root, &folder);
    ::SysFreeString(root);
    Microsoft::WRL::ComPtr<IRegisteredTaskCollection> tasks;
    folder->GetTasks(0, &tasks);
    LONG count = 0;
    tasks->get_Count(&count);
    for (LONG i = 1; i <= count; ++i) {
        VARIANT index{};
        index.vt = VT_I4;
        index.lVal = i;
        Microsoft::WRL::ComPtr<IRegisteredTask> task;
        tasks->get_Item(index, &task);
        BSTR name = nullptr;
        VARIANT_BOOL enabled = VARIANT_FALSE;
        task->get_Name(&name);
        task->get_Enabled(&enabled);
        ::SysFreeString(name);
    }
    return static_cast<size_t>(count);
}

size_t Bare(const std::wstring& Folder) {
    // Each value's state is read too, as the inventory reads it.
    size_t seen = bench::BareFolder(Folder, kApprovedStartupFolderKey);
    seen +=
        bench::BareRunKey(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", kApprovedRunKey);
    seen += bench::BareRunKey(HKEY_LOCAL_MACHINE, L"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
                              kApprovedRun32Key);
    seen += bench::BareRunKey(HKEY_CURRENT_USER, kRunKey.c_str(), kApprovedRunKey);
    seen += BareTasks();
    seen += bench::BareServices();
    return seen;
}

template <typename Fn>
double BestMilliseconds(Fn&& Run) {
    double best = 1e300;
    for (int round = 0; round < 5; ++round) {
        const auto start = std::chrono::steady_clock::now();
        Run();
        const auto stop = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::milli>(stop - start).count());
    }
    return best;
}

}  // namespace

int wmain() {
    InitFolderVariables();
    const std::wstring folder = StartupFolder();
    BuildSystem(folder);

    const TAutorunSource sources[] = {&CollectStartupFolders, &CollectRunKeys, &FakeTasks, &CollectServices};
    TAutorunList list;
    size_t bareSeen = 0;
    const double collect = BestMilliseconds([&] { Absorb(CollectAutoruns(list, sources)); });
    const double bare = BestMilliseconds([&] { bareSeen = Bare(folder); });
    std::printf("entries collected: %zu (bare pass saw %zu items)\n", list.size(), bareSeen);
    std::printf("CollectAutoruns:   %8.2f ms\n", collect);
    std::printf("bare enumeration:  %8.2f ms\n", bare);
    std::printf("ratio:             %8.2f\n", collect / bare);

    RemoveSystem(folder);
    return 0;
}
