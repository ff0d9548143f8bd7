#include "tests/autorun/fake_scheduler_registration.h"

#include "platform/registry.h"
#include "tests/autorun/fake_scheduler_state.h"
#include "tests/support/test_files.h"

#include <algorithm>

namespace quillon::test {
namespace {

// Where the replaced values wait, in the registration's own key.
constexpr wchar_t kReplacedServer[] = L"Quillon Tests: replaced";
constexpr wchar_t kReplacedThreadingModel[] = L"Quillon Tests: replaced ThreadingModel";

bool HasValue(const std::wstring& Key, const std::wstring& Name) {
    std::vector<std::wstring> names;
    TReg::ReadValueNames(HKEY_LOCAL_MACHINE, Key, names);
    return std::find(names.begin(), names.end(), Name) != names.end();
}

// An empty text stands for a value that was not there.
void Restore(const std::wstring& Key, const std::wstring& Name, const std::wstring& Value) {
    if (Value.empty()) {
        TReg::DeleteValue(HKEY_LOCAL_MACHINE, Key, Name);
    } else {
        TReg::WriteString(HKEY_LOCAL_MACHINE, Key, Name, Value);
    }
}

}  // namespace

std::wstring TaskSchedulerServerKey(TRegistryView View) {
    const std::wstring classes =
        View == TRegistryView::Bits32 ? L"Software\\Classes\\Wow6432Node\\CLSID\\" : L"Software\\Classes\\CLSID\\";
    return classes + L"{0F87369F-A4E5-4CFC-BD3E-73E6154572DD}\\InprocServer32";
}

TFakeSchedulerRegistration::TFakeSchedulerRegistration(const std::wstring& ServerPath, TRegistryView View,
                                                       const std::vector<TFakeTask>& Tasks, HRESULT ConnectResult)
    : FKey(TaskSchedulerServerKey(View)) {
    DeleteFakeSchedulerState();
    WriteFakeTasks(Tasks);
    WriteFakeConnectResult(ConnectResult);
    // Values kept already are the system's, left by a registration that
    // never went; the values in place are then that registration's own.
    if (!HasValue(FKey, kReplacedServer)) {
        TReg::WriteString(HKEY_LOCAL_MACHINE, FKey, kReplacedThreadingModel,
                          TReg::ReadString(HKEY_LOCAL_MACHINE, FKey, L"ThreadingModel", L""));
        TReg::WriteString(HKEY_LOCAL_MACHINE, FKey, kReplacedServer,
                          TReg::ReadString(HKEY_LOCAL_MACHINE, FKey, L"", L""));
    }
    TReg::WriteString(HKEY_LOCAL_MACHINE, FKey, L"ThreadingModel", L"Both");
    TReg::WriteString(HKEY_LOCAL_MACHINE, FKey, L"", ServerPath);
}

TFakeSchedulerRegistration::~TFakeSchedulerRegistration() {
    Restore(FKey, L"", TReg::ReadString(HKEY_LOCAL_MACHINE, FKey, kReplacedServer, L""));
    Restore(FKey, L"ThreadingModel", TReg::ReadString(HKEY_LOCAL_MACHINE, FKey, kReplacedThreadingModel, L""));
    TReg::DeleteValue(HKEY_LOCAL_MACHINE, FKey, kReplacedThreadingModel);
    TReg::DeleteValue(HKEY_LOCAL_MACHINE, FKey, kReplacedServer);
    DeleteFakeSchedulerState();
}

void TFakeSchedulerRegistration::SetTasks(const std::vector<TFakeTask>& Tasks) const { WriteFakeTasks(Tasks); }

void TFakeSchedulerRegistration::SetConnectResult(HRESULT Result) const { WriteFakeConnectResult(Result); }

std::vector<TFakeTask> TFakeSchedulerRegistration::Tasks() const { return ReadFakeTasks(); }

std::vector<std::wstring> TFakeSchedulerRegistration::Calls() const { return ReadFakeCalls(); }

std::wstring FakeSchedulerServer() { return WindowsPathFromEnvironment(L"QUILLON_FAKE_SCHEDULER"); }

}  // namespace quillon::test
