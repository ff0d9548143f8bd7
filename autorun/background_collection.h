#pragma once
// The first inventory of a run, gathered on a thread of its own while the
// main window is being made: the window and the inventory each take some
// tens of milliseconds, and the user waits for both. The thread asks the
// same sources as a refresh (the Task Scheduler in an apartment of the
// thread's own) and touches nothing else; the list frame takes the result.

#include "autorun/collect.h"

#include <optional>
#include <thread>

namespace quillon {

struct TCollected {
    TAutorunList List;
    std::optional<TAppError> Failure;
};

class TBackgroundCollection {
public:
    // Starts gathering at once.
    TBackgroundCollection();
    // Waits for the thread when the result was never taken.
    ~TBackgroundCollection();
    TBackgroundCollection(const TBackgroundCollection&) = delete;
    TBackgroundCollection& operator=(const TBackgroundCollection&) = delete;

    // Waits until the inventory is gathered and hands it over, as
    // CollectAutoruns gives it. Nothing on a second call, or when no thread
    // could be started.
    [[nodiscard]] std::optional<TCollected> Take();

private:
    TCollected FCollected;
    std::thread FThread;
};

}  // namespace quillon
