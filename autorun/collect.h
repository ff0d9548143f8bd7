#pragma once

#include "autorun/autorun_info.h"

#include <span>

namespace quillon {

// A source of start-up entries: appends what it finds to the list.
using TAutorunSource = void (*)(TAutorunList& List);

// Empties List and refills it from every source of start-up entries, in
// this order: start-up folders, Run keys, scheduled tasks, services. An
// error raised by a source ends the collection there and reaches the
// caller; what the earlier sources found stays in List.
void CollectAutoruns(TAutorunList& List);

// The same over the given sources, in their order.
void CollectAutoruns(TAutorunList& List, std::span<const TAutorunSource> Sources);

}  // namespace quillon
