#pragma once
// One HTTP(S) request through the system's WinHTTP: custom headers in
// order, redirects followed up to a limit, the whole body read. The program
// sets no user agent, proxy or credentials of its own; the system's
// defaults apply.

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon {

using THttpHeaders = std::vector<std::pair<std::wstring, std::wstring>>;

struct THttpOptions {
    // Each of the three: connecting, sending, waiting for the answer.
    DWORD TimeoutMs = 60000;
    DWORD MaxRedirects = 5;
};

struct THttpResponse {
    DWORD Status = 0;
    // The body's bytes as they came; what they mean is the caller's business.
    std::string Body;
};

// A request's address taken apart and its headers joined, once, for a
// request that is sent again and again.
struct THttpTarget {
    std::wstring Host;
    std::wstring PathAndQuery;
    WORD Port = 0;
    bool Secure = false;
    // "Name: value" lines, in order, joined by CR LF.
    std::wstring HeaderBlock;
};

// Nothing when Url is no http or https address.
std::optional<THttpTarget> MakeHttpTarget(const std::wstring& Url, const THttpHeaders& Headers);

// Sends Verb ("GET", "POST") to Url with Headers and Body. Nothing when no
// answer came: the name did not resolve, the connection was refused or
// dropped, TLS failed, a timeout passed, or there were too many redirects.
// Any answer counts, whatever its status.
std::optional<THttpResponse> HttpRequest(const wchar_t* Verb, const std::wstring& Url, const THttpHeaders& Headers,
                                         std::string_view Body = {}, const THttpOptions& Options = {});
// The same for a target made before.
std::optional<THttpResponse> HttpRequest(const wchar_t* Verb, const THttpTarget& Target, std::string_view Body = {},
                                         const THttpOptions& Options = {});

}  // namespace quillon
