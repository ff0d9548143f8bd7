#pragma once
// Where error reports are sent: beside the start-up request, on the host
// this build talks to (endpoint.h).

#include "endpoint.h"

namespace quillon {

inline constexpr wchar_t kReportEndpointUrl[] = QUILLON_SERVICE_BASE L"api.report.php";

}  // namespace quillon
