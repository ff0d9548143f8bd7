#pragma once
// Switching an entry off and on, each kind the way the system keeps its
// state: Run values and start-up files by their approved-state value, a
// task by its enabled flag, a service by its start type. Nothing is handed
// back: the caller refreshes the list, which reads the real state again.
//
// Windows before 10 keeps no approved state, so there switching a Run value
// or a start-up file off removes it, and switching it on does nothing.

#include <windows.h>

#include <string>

#include "autorun/autorun_info.h"
#include "autorun/task_scheduler.h"

namespace quillon {

// What the switches need to know of the system they change.
struct TSwitchContext {
    // The running Windows' major version; 10 or more means approved-state
    // values are kept.
    DWORD WindowsMajor = 0;
    TTaskServiceCreator TaskServiceCreator;
};

// The running system: its true version and the real Task Scheduler.
TSwitchContext CurrentSwitchContext();

// Picks the switch by the entry's kind and passes Target on. Raises
// TAppError where the switch it calls does.
void SetAutorunState(TAutorunKind Kind, const std::wstring& Target, bool Enable);
void SetAutorunState(TAutorunKind Kind, const std::wstring& Target, bool Enable, const TSwitchContext& Context);
// The same for a kind given as From text ("FILE", "SCHE", "SERV" in any
// ASCII case; anything else is a Run value's root).
void SetAutorunState(const std::wstring& Target, const std::wstring& From, bool Enable);
void SetAutorunState(const std::wstring& Target, const std::wstring& From, bool Enable, const TSwitchContext& Context);

// Path is the file's full path. The common start-up folder's files keep
// their state under HKEY_LOCAL_MACHINE, every other file under
// HKEY_CURRENT_USER; a file that no longer exists is given none. Before
// Windows 10, switching off deletes the file, but only a file directly in
// one of the two start-up folders; raises TAppError when that file cannot
// be deleted.
void SetStartupFileState(const std::wstring& Path, bool Enable);
void SetStartupFileState(const std::wstring& Path, bool Enable, DWORD WindowsMajor);

// Target is the Run value's registry path text ("HKCU\Software\...\Run\Name").
// The value's state goes to the same root, under StartupApproved\Run32 for
// the Wow6432Node key and StartupApproved\Run otherwise; a value that no
// longer exists is given none. Before Windows 10, switching off deletes the
// value, but only a value of a Run key of HKEY_LOCAL_MACHINE or
// HKEY_CURRENT_USER, and never a key.
void SetRunValueState(const std::wstring& Target, bool Enable);
void SetRunValueState(const std::wstring& Target, bool Enable, DWORD WindowsMajor);

// Target is the task's path ("\" and its name). A task that cannot be found
// or changed is left as it is; raises TAppError, after closing the
// connection, when the Task Scheduler cannot be created or connected.
void SetTaskState(const std::wstring& Target, bool Enable);
void SetTaskState(const std::wstring& Target, bool Enable, const TTaskServiceCreator& Creator);

// Target is the service's key name. Sets the start type to automatic or
// disabled and changes nothing else: a running service keeps running, a
// stopped one is not started.
void SetServiceState(const std::wstring& Target, bool Enable);

}  // namespace quillon
