#pragma once
// The requests the program sends its web service: one GET with custom
// headers, the four headers of the start-up request, and the hold request.

#include "platform/http.h"

#include <string>

namespace quillon {

// The most of a reply that is read; what follows is not read, and the text
// read so far is the reply.
inline constexpr std::size_t kMaxReplyBytes = 16 * 1024 * 1024;

// One GET of Url with Headers (in order, no body). True when an answer came,
// whatever its status: Reply is then its body (at most kMaxReplyBytes of
// it), decoded as UTF-8 whatever character set the answer declares. False
// on any failure (no answer, a timeout, the attempt's deadline, too many
// redirects, cancelled), Reply untouched. 60-second timeouts, at most 5
// redirects, no user agent of the program's own.
bool HTTPGet(const std::wstring& Url, const THttpHeaders& Headers, std::wstring& Reply);
// The same for an address and headers prepared once (MakeHttpTarget), with
// Options' deadline and cancel event; the body is read up to
// kMaxReplyBytes whatever Options says.
bool HTTPGet(const THttpTarget& Target, std::wstring& Reply, THttpOptions Options = {});

// The start-up request's headers, in this order: "User-Version" (the
// program's version), "User-Language" (the interface language),
// "User-Debug" ("true" or "false": the leak report at exit) and
// "User-Union" (the client identifier, empty when the registry is unusable).
// Reads or creates the identifier in the registry.
THttpHeaders StartupHeaders();

// The hold request's headers: "User-Version" and "User-Command: hold".
THttpHeaders HoldHeaders();

// Sends the hold request to Url once, on a thread of its own that nobody
// waits for; its outcome is ignored.
void StartHoldRequest(std::wstring Url);

}  // namespace quillon
