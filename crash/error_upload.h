#pragma once
// Sending an error report to the product's report address.

#include <string_view>

namespace quillon {

// POSTs Report (UTF-8 text) to the report address. True only when the
// address itself answered with a 2xx status: a redirect is not followed, as
// it would turn the POST into a GET that leaves the report behind.
bool SendErrorReport(std::string_view Report);

}  // namespace quillon
