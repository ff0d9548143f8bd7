#include "autorun/background_collection.h"

#include "autorun/scheduled_tasks.h"
#include "platform/fault_hook.h"

#include <system_error>

namespace quillon {
namespace {

// The Task Scheduler's objects live in the apartment of the thread that
// asks, and under Wine a connection from a second thread stalls for a
// second now and then while the first one is making windows.
bool NeedsOwnThread(TAutorunSource Source) { return Source == static_cast<TAutorunSource>(&CollectScheduledTasks); }

}  // namespace

TBackgroundCollection::TBackgroundCollection() : FParts(AutorunSources().size()) {
    try {
        FThread = std::thread([this] {
            RunGuarded([this] {
                const std::span<const TAutorunSource> sources = AutorunSources();
                for (std::size_t i = 0; i < sources.size(); ++i) {
                    if (NeedsOwnThread(sources[i])) continue;
                    FParts[i].Failure = CollectAutoruns(FParts[i].List, sources.subspan(i, 1));
                    FParts[i].Asked = true;
                }
            });
        });
    } catch (const std::system_error&) {
        // No thread to be had: the first refresh gathers on its own.
    }
}

TBackgroundCollection::~TBackgroundCollection() {
    if (FThread.joinable()) FThread.join();
}

std::optional<TCollected> TBackgroundCollection::Take() {
    if (!FThread.joinable()) return std::nullopt;
    // Joined, the thread's writes are all seen here.
    FThread.join();
    const std::span<const TAutorunSource> sources = AutorunSources();
    TCollected collected;
    for (std::size_t i = 0; i < sources.size(); ++i) {
        TPart& part = FParts[i];
        if (!part.Asked) part.Failure = CollectAutoruns(part.List, sources.subspan(i, 1));
        collected.List.insert(collected.List.end(), std::make_move_iterator(part.List.begin()),
                              std::make_move_iterator(part.List.end()));
        if (!collected.Failure) collected.Failure = std::move(part.Failure);
    }
    FParts.clear();
    return collected;
}

}  // namespace quillon
