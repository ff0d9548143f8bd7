#include "crash/error_upload.h"

#include "platform/http.h"
#include "crash/report_address.h"

namespace quillon {

bool SendErrorReport(std::string_view Report) {
    THttpOptions options;
    options.MaxRedirects = 0;
    const std::optional<THttpResponse> answer =
        HttpRequest(L"POST", kReportEndpointUrl, {{L"Content-Type", L"text/plain; charset=utf-8"}}, Report, options);
    // Only the report address's own 2xx: a redirect, followed or not (a 3xx
    // answer), is a report that did not arrive where it was sent.
    return answer && !answer->Redirected && answer->Status >= 200 && answer->Status < 300;
}

}  // namespace quillon
