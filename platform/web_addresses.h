#pragma once
// The program's web addresses, kept in one place. The service's host is
// chosen when the program is built (endpoint.h): every build but the release
// talks to the endpoint stub on the loopback address.

#include "endpoint.h"

namespace quillon {

inline constexpr wchar_t kProductPageUrl[] = L"https://quillon.app/";
inline constexpr wchar_t kEntryPageBaseUrl[] = L"https://quillon.app/entry/";
inline constexpr wchar_t kServiceEndpointUrl[] = QUILLON_SERVICE_BASE L"api.init.php";
inline constexpr wchar_t kReportEndpointUrl[] = QUILLON_SERVICE_BASE L"api.report.php";

}  // namespace quillon
