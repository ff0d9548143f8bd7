#include "autorun/scheduled_tasks.h"

#include "platform/com_types.h"
#include "platform/errors.h"

#include <utility>

namespace quillon {
namespace {

using Microsoft::WRL::ComPtr;

// Fills Entry from the task at Index (counting from 1).
HRESULT ReadTask(IRegisteredTaskCollection* Tasks, LONG Index, const std::wstring& FolderPrefix, TAutorunInfo& Entry) {
    ComPtr<IRegisteredTask> task;
    HRESULT status = Tasks->get_Item(TVariant(Index).get(), task.GetAddressOf());
    if (FAILED(status)) return status;

    UniqueBstr name;
    status = task->get_Name(name.put());
    if (FAILED(status)) return status;

    VARIANT_BOOL enabled = VARIANT_FALSE;
    status = task->get_Enabled(&enabled);
    if (FAILED(status)) return status;

    Entry.Caption = BstrText(name.get());
    Entry.Target = FolderPrefix + L"\\" + Entry.Caption;
    Entry.From = kFromTask;
    Entry.Kind = TAutorunKind::Task;
    Entry.Enabled = enabled != VARIANT_FALSE;
    return S_OK;
}

}  // namespace

void CollectScheduledTasks(TAutorunList& List) { CollectScheduledTasks(List, CoTaskScheduler_::Create); }

void CollectScheduledTasks(TAutorunList& List, const TTaskServiceCreator& Creator) {
    TTaskServiceSession session(Creator);
    session.Open();
    if (!session) return;  // COM could not be prepared
    // A task list that breaks off is not worth an error: the user still
    // gets every other entry, and the tasks read so far.
    Absorb(CollectTaskFolder(session.TaskService(), L"\\", List));
}

HRESULT CollectTaskFolder(ITaskService* Service, const std::wstring& FolderPath, TAutorunList& List) {
    ComPtr<ITaskFolder> folder;
    HRESULT status = Service->GetFolder(MakeBstr(FolderPath).get(), folder.GetAddressOf());
    if (FAILED(status)) return status;

    // Flags 0: hidden tasks are left out.
    ComPtr<IRegisteredTaskCollection> tasks;
    status = folder->GetTasks(0, tasks.GetAddressOf());
    if (FAILED(status)) return status;

    LONG count = 0;
    status = tasks->get_Count(&count);
    if (FAILED(status)) return status;

    // "\" + name for the root, "\Folder\" + name below it.
    std::wstring prefix = FolderPath;
    if (!prefix.empty() && prefix.back() == L'\\') prefix.pop_back();

    for (LONG index = 1; index <= count; ++index) {
        TAutorunInfo entry;
        status = ReadTask(tasks.Get(), index, prefix, entry);
        if (FAILED(status)) return status;
        List.push_back(std::move(entry));
    }
    return S_OK;
}

}  // namespace quillon
