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

std::optional<TAppError> CollectAutoruns(TAutorunList& List) { return CollectAutoruns(List, kSources); }

std::optional<TAppError> CollectAutoruns(TAutorunList& List, std::span<const TAutorunSource> Sources) {
    List.clear();
    std::optional<TAppError> first;
    for (TAutorunSource source : Sources) {
        try {
            source(List);
        } catch (const TAppError& error) {
            if (!first) first = error;
        }
    }
    return first;
}

}  // namespace quillon
