#pragma once

#include "autorun/autorun_info.h"

namespace quillon {

// Appends one entry per Win32 service (own- and shared-process; drivers are
// never listed), in the service manager's order, whatever its state: From
// "SERV", Target the key name, Caption the display name, FileName and
// RawData the command text as configured, Enabled for automatic start.
// A service that cannot be opened or read is skipped; a manager that cannot
// be opened or listed adds nothing. Never throws.
void CollectServices(TAutorunList& List);

}  // namespace quillon
