#pragma once
// The first inventory of a run, gathered on a thread of its own while the
// main window is being made: the window and the inventory each take some
// tens of milliseconds, and the user waits for both. The thread asks the
// sources that need no COM apartment (start-up folders, Run keys,
// services); the Task Scheduler is asked on the thread that takes the
// result, as at every later refresh.

#include "autorun/collect.h"

#include <optional>
#include <thread>
#include <vector>

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

    // Waits until the thread is done, asks the sources it left on this
    // thread, and hands over the whole inventory in the sources' order, as
    // CollectAutoruns gives it. Nothing on a second call, or when no thread
    // could be started.
    [[nodiscard]] std::optional<TCollected> Take();

private:
    // What one source gave.
    struct TPart {
        TAutorunList List;
        std::optional<TAppError> Failure;
        bool Asked = false;
    };
    std::vector<TPart> FParts;
    std::thread FThread;
};

}  // namespace quillon
