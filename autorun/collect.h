#pragma once

#include "autorun/autorun_info.h"
#include "platform/errors.h"

#include <optional>
#include <span>

namespace quillon {

// A source of start-up entries: appends what it finds to the list; raises
// TAppError for a failure the user must hear of.
using TAutorunSource = void (*)(TAutorunList& List);

// Empties List and refills it from every source of start-up entries, in
// this order: start-up folders, Run keys, scheduled tasks, services. A
// source that fails keeps what it had appended, and the sources after it
// are still read: one unusable source (a Task Scheduler service switched
// off) must not hide the others. Returns the first failure, to be told to
// the user; nothing when every source succeeded.
[[nodiscard]] std::optional<TAppError> CollectAutoruns(TAutorunList& List);

// The same over the given sources, in their order.
[[nodiscard]] std::optional<TAppError> CollectAutoruns(TAutorunList& List, std::span<const TAutorunSource> Sources);

}  // namespace quillon
