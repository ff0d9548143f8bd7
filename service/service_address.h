#pragma once
// Where the start-up request and the hold request go. The service's host is
// chosen when the program is built (endpoint.h): every build but the release
// talks to the endpoint stub on the loopback address.

#include "endpoint.h"

namespace quillon {

inline constexpr wchar_t kServiceEndpointUrl[] = QUILLON_SERVICE_BASE L"api.init.php";

}  // namespace quillon
