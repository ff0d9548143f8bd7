#pragma once
// Scheduled tasks as start-up entries: the tasks directly in the Task
// Scheduler's root folder, each with From "SCHE", Target "\" and its name,
// and Enabled from the task's own flag.

#include <windows.h>
#include <taskschd.h>

#include <string>

#include "autorun/autorun_info.h"
#include "autorun/task_scheduler.h"

namespace quillon {

// Appends the tasks of the root folder. Adds nothing when COM cannot be
// prepared; raises TAppError, after closing the connection, when the
// scheduler cannot be created or connected. A listing that fails part way
// ends quietly with the entries found so far.
void CollectScheduledTasks(TAutorunList& List);
// The same with the scheduler object that Creator makes.
void CollectScheduledTasks(TAutorunList& List, const TTaskServiceCreator& Creator);

// Appends one entry per task directly in the folder FolderPath ("\" is the
// root), hidden tasks left out. Stops at the first call that fails and
// returns its status, S_OK when every task was listed.
HRESULT CollectTaskFolder(ITaskService* Service, const std::wstring& FolderPath, TAutorunList& List);

}  // namespace quillon
