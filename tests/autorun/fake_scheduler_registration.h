#pragma once
// The fake Task Scheduler server (fixtures/fake_scheduler_server.cpp) in
// place of the system's for as long as one of these lives: every process of
// the prefix whose bitness matches the registry view given gets the server
// from CoCreateInstance(CLSID_TaskScheduler, ...), and the server works on
// the tasks configured here (fake_scheduler_state.h).
//
// Wine reads class registrations from HKLM\Software\Classes only: the
// current user's HKCU\Software\Classes, which Windows prefers, is ignored.
// So the registration replaces the machine's InprocServer32 value and puts
// it back when it goes. Until then the replaced value is kept beside it, so
// that the next registration also undoes one that a dead test program left.
// One registration at a time: the configuration is one for both views.

#include <windows.h>

#include <string>
#include <vector>

#include "tests/autorun/fake_task_service.h"

namespace quillon::test {

// The processes a registration is for: 64-bit ones, or the 32-bit ones of a
// 64-bit system, which find their classes under Wow6432Node.
enum class TRegistryView { Bits64, Bits32 };

class TFakeSchedulerRegistration {
public:
    // ServerPath is the Windows path of a server DLL of the view's bitness.
    // Tasks and ConnectResult replace any configuration there was.
    TFakeSchedulerRegistration(const std::wstring& ServerPath, TRegistryView View, const std::vector<TFakeTask>& Tasks,
                               HRESULT ConnectResult = S_OK);
    ~TFakeSchedulerRegistration();
    TFakeSchedulerRegistration(const TFakeSchedulerRegistration&) = delete;
    TFakeSchedulerRegistration& operator=(const TFakeSchedulerRegistration&) = delete;

    // For the service objects made from now on, in any process.
    void SetTasks(const std::vector<TFakeTask>& Tasks) const;
    void SetConnectResult(HRESULT Result) const;

    // The tasks as stored now, with the flags put_Enabled changed since.
    [[nodiscard]] std::vector<TFakeTask> Tasks() const;
    // The calls the server's objects were made in every process, oldest
    // first: "Connect(empty, empty, empty, empty)", "GetTasks(0)",
    // "put_Enabled(Backup, 0)"... (TFakeScheduler::Calls).
    [[nodiscard]] std::vector<std::wstring> Calls() const;

private:
    std::wstring FKey;
};

// The key, under HKEY_LOCAL_MACHINE, whose default value names the DLL that
// the view's processes load for CLSID_TaskScheduler.
std::wstring TaskSchedulerServerKey(TRegistryView View);

// The 64-bit server that the tests are given (QUILLON_FAKE_SCHEDULER), as a
// Windows path; empty when it is not set.
std::wstring FakeSchedulerServer();

}  // namespace quillon::test
