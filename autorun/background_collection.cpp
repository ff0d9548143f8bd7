#include "autorun/background_collection.h"

#include "platform/fault_hook.h"

#include <system_error>
#include <utility>

namespace quillon {

TBackgroundCollection::TBackgroundCollection() {
    try {
        FThread =
            std::thread([this] { RunGuarded([this] { FCollected.Failure = CollectAutoruns(FCollected.List); }); });
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
    return std::move(FCollected);
}

}  // namespace quillon
