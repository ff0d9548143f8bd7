#pragma once
// One HTTP(S) request through the system's WinHTTP: custom headers in
// order, redirects followed up to a limit or refused, the body read up to a
// limit, the whole request bounded by a deadline and ended at once by a
// cancel event. The program sets no user agent, proxy or credentials of its
// own; the system's defaults apply.

#include <windows.h>

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillon {

using THttpHeaders = std::vector<std::pair<std::wstring, std::wstring>>;

struct THttpOptions {
    // Each of the three: connecting, sending, waiting for the next bytes of
    // the answer. A server that keeps sending a byte now and then never
    // trips it; DeadlineMs is what bounds a request.
    DWORD TimeoutMs = 60000;
    // The whole request: name resolution, connection, sending, the answer's
    // headers and its whole body. Past it there is no answer.
    DWORD DeadlineMs = INFINITE;
    // More redirects than this is no answer. 0 refuses them: a redirecting
    // answer (3xx) is then the answer.
    DWORD MaxRedirects = 5;
    // At most this much of the body is read; the rest is left unread and the
    // connection closed. The answer is then the status and the bytes read.
    std::size_t MaxBodyBytes = std::numeric_limits<std::size_t>::max();
    // A manual-reset event of the caller's, or null. Once it is set the
    // request ends at once, with no answer, whatever it is waiting for.
    HANDLE Cancel = nullptr;
};

struct THttpResponse {
    DWORD Status = 0;
    // The body's bytes as they came; what they mean is the caller's business.
    std::string Body;
    // The answer came from another address than the one asked: a redirect
    // was followed.
    bool Redirected = false;
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
// dropped, TLS failed, a timeout or the deadline passed, the request was
// cancelled, there were too many redirects, or redirects could not be
// refused as asked. Any answer counts, whatever its status. The caller may
// free Body, and Options.Cancel, as soon as this returns.
std::optional<THttpResponse> HttpRequest(const wchar_t* Verb, const std::wstring& Url, const THttpHeaders& Headers,
                                         std::string_view Body = {}, const THttpOptions& Options = {});
// The same for a target made before.
std::optional<THttpResponse> HttpRequest(const wchar_t* Verb, const THttpTarget& Target, std::string_view Body = {},
                                         const THttpOptions& Options = {});

}  // namespace quillon
