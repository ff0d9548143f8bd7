#pragma once
// The configuration and state of the fake Task Scheduler server
// (fixtures/fake_scheduler_server.cpp), kept in the registry so that a test
// and the program it runs, another process, share them. One key of the
// current user, in the 64-bit view:
//   ConnectResult  REG_DWORD     the HRESULT that Connect answers; S_OK when missing
//   Tasks          REG_MULTI_SZ  the root folder's tasks, one "Name|Enabled|Hidden"
//                                line each ("Backup|1|0"), in the order listed
//   Calls          REG_MULTI_SZ  every call that the server's objects were
//                                made, oldest first, as TFakeScheduler logs them
// A service object reads ConnectResult and Tasks when it is made; put_Enabled
// writes its task's flag back to Tasks at once.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/autorun/fake_task_service.h"

namespace quillon::test {

inline constexpr wchar_t kFakeSchedulerKey[] = L"Software\\Quillon Tests\\Task Scheduler";

// Task names cannot hold "|", so it parts the fields.
std::wstring FakeTaskLine(const TFakeTask& Task);
// Null for a line that is not a name, "|", 0 or 1, "|", 0 or 1.
std::optional<TFakeTask> ParseFakeTaskLine(std::wstring_view Line);

// Lines that do not parse are left out.
std::vector<TFakeTask> ReadFakeTasks();
void WriteFakeTasks(const std::vector<TFakeTask>& Tasks);
HRESULT ReadFakeConnectResult();
void WriteFakeConnectResult(HRESULT Result);
std::vector<std::wstring> ReadFakeCalls();
void AppendFakeCall(const std::wstring& Call);
// Removes the key with every value.
void DeleteFakeSchedulerState();

}  // namespace quillon::test
