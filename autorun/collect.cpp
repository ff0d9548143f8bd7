#include "autorun/collect.h"

#include "autorun/run_keys.h"
#include "autorun/scheduled_tasks.h"
#include "autorun/services.h"
#include "autorun/startup_folders.h"

namespace quillon {
namespace {
constexpr TAutorunSource kSources[] = {&CollectStartupFolders, &CollectRunKeys, &CollectScheduledTasks,
                                       &CollectServices};
}  // namespace

void CollectAutoruns(TAutorunList& List) { CollectAutoruns(List, kSources); }

void CollectAutoruns(TAutorunList& List, std::span<const TAutorunSource> Sources) {
    List.clear();
    for (TAutorunSource source : Sources) source(List);
}

}  // namespace quillon
