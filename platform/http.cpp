#include "platform/http.h"

#include "platform/http_async.h"
#include "platform/unique_handle.h"
#include "platform/winhttp_library.h"

#include <winhttp.h>

#include <algorithm>
#include <cwchar>

namespace quillon {
namespace {

struct TInternetTraits {
    using Handle = HINTERNET;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { WinHttp()->CloseHandle(h); }
};
using UniqueInternet = UniqueHandle<TInternetTraits>;

std::optional<THttpTarget> SplitUrl(const std::wstring& Url) {
    // Without the library no request can be sent; no target is made either.
    if (!WinHttp()) return std::nullopt;
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttp()->CrackUrl(Url.c_str(), static_cast<DWORD>(Url.size()), 0, &parts)) return std::nullopt;
    if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) return std::nullopt;
    THttpTarget split;
    split.Host.assign(parts.lpszHostName, parts.dwHostNameLength);
    split.PathAndQuery.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    split.PathAndQuery.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (split.PathAndQuery.empty()) split.PathAndQuery = L"/";
    split.Port = parts.nPort;
    split.Secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    return split;
}

bool SetDword(HINTERNET Handle, DWORD Option, DWORD Value) {
    return WinHttp()->SetOption(Handle, Option, &Value, sizeof Value) != FALSE;
}

// A limit WinHTTP does not take is not a limit: the request is then not
// sent. "At most 0 automatic redirects" need not mean "never" to WinHTTP,
// so refusing them goes through the redirect policy, or else the feature
// switch.
bool LimitRedirects(HINTERNET Request, DWORD MaxRedirects) {
    if (MaxRedirects > 0) return SetDword(Request, WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, MaxRedirects);
    return SetDword(Request, WINHTTP_OPTION_REDIRECT_POLICY, WINHTTP_OPTION_REDIRECT_POLICY_NEVER) ||
           SetDword(Request, WINHTTP_OPTION_DISABLE_FEATURE, WINHTTP_DISABLE_REDIRECTS);
}

// The address the request is for: the one asked before it is sent, the last
// one it was redirected to after. Empty when WinHTTP does not say (Wine
// does not, for a request).
std::wstring RequestUrl(HINTERNET Request) {
    DWORD bytes = 0;
    WinHttp()->QueryOption(Request, WINHTTP_OPTION_URL, nullptr, &bytes);
    std::wstring url(bytes / sizeof(wchar_t), L'\0');
    if (url.empty() || !WinHttp()->QueryOption(Request, WINHTTP_OPTION_URL, url.data(), &bytes)) return {};
    url.resize(::wcsnlen(url.c_str(), bytes / sizeof(wchar_t)));
    return url;
}

// Whether the answer came from another address than AskedUrl. A redirect
// chain may end where it began, so the addresses decide where WinHTTP tells
// them; else, that it followed any redirect.
bool AnsweredElsewhere(HINTERNET Request, const std::wstring& AskedUrl, const THttpExchange& Exchange) {
    const std::wstring answeredUrl = RequestUrl(Request);
    if (AskedUrl.empty() || answeredUrl.empty()) return Exchange.Redirected();
    return answeredUrl != AskedUrl;
}

// Cancelled, or out of time: nothing more is started.
bool GivenUp(const THttpOptions& Options, const THttpDeadline& Deadline) {
    if (Deadline.Left() == 0) return true;
    return Options.Cancel && ::WaitForSingleObject(Options.Cancel, 0) == WAIT_OBJECT_0;
}

// Reads the body into the exchange, never more than MaxBodyBytes in all.
// Each read asks for no more than has come: a read for more would wait for
// it, and one left pending by a caller who gave up would hold the
// connection for as long as a slow server keeps sending.
bool ReadBody(HINTERNET Request, THttpExchange& Exchange, const THttpOptions& Options, const THttpDeadline& Deadline) {
    for (;;) {
        const std::size_t room = Options.MaxBodyBytes - Exchange.BodySize();
        if (room == 0) return true;
        if (!WinHttp()->QueryDataAvailable(Request, nullptr)) return false;
        const std::optional<THttpCompletion> came =
            Exchange.Await(WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE, Deadline, Options.Cancel);
        if (!came) return false;
        if (came->Bytes == 0) return true;
        const auto want = static_cast<DWORD>(std::min<std::size_t>({room, came->Bytes, THttpExchange::kChunkBytes}));
        if (!WinHttp()->ReadData(Request, Exchange.Chunk(), want, nullptr)) return false;
        const std::optional<THttpCompletion> read =
            Exchange.Await(WINHTTP_CALLBACK_STATUS_READ_COMPLETE, Deadline, Options.Cancel);
        if (!read) return false;
        if (read->Bytes == 0) return true;
        Exchange.KeepChunk(read->Bytes);
    }
}

}  // namespace

std::optional<THttpTarget> MakeHttpTarget(const std::wstring& Url, const THttpHeaders& Headers) {
    std::optional<THttpTarget> target = SplitUrl(Url);
    if (!target) return std::nullopt;
    for (const auto& [name, value] : Headers) {
        if (!target->HeaderBlock.empty()) target->HeaderBlock += L"\r\n";
        target->HeaderBlock += name + L": " + value;
    }
    return target;
}

std::optional<THttpResponse> HttpRequest(const wchar_t* Verb, const std::wstring& Url, const THttpHeaders& Headers,
                                         std::string_view Body, const THttpOptions& Options) {
    const std::optional<THttpTarget> target = MakeHttpTarget(Url, Headers);
    if (!target) return std::nullopt;
    return HttpRequest(Verb, *target, Body, Options);
}

std::optional<THttpResponse> HttpRequest(const wchar_t* Verb, const THttpTarget& Target, std::string_view Body,
                                         const THttpOptions& Options) {
    if (!WinHttp()) return std::nullopt;
    const THttpDeadline deadline(Options.DeadlineMs);
    // Asynchronous: a synchronous request blocked in a read cannot be
    // interrupted, not even by closing its handle, so neither a deadline nor
    // a cancel could end it. No agent name: the request carries no
    // User-Agent of ours.
    const UniqueInternet session(WinHttp()->Open(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                                 WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC));
    if (!session) return std::nullopt;
    const int timeout = static_cast<int>(Options.TimeoutMs);
    WinHttp()->SetTimeouts(session.get(), 0, timeout, timeout, timeout);
    const UniqueInternet connection(WinHttp()->Connect(session.get(), Target.Host.c_str(), Target.Port, 0));
    if (!connection) return std::nullopt;
    // Outlives the request handle on every path; WinHTTP holds its own
    // reference for whatever still completes after the caller has left.
    const THttpExchange::TRef exchange = THttpExchange::Make(Body);
    if (!exchange) return std::nullopt;
    const UniqueInternet request(WinHttp()->OpenRequest(connection.get(), Verb, Target.PathAndQuery.c_str(), nullptr,
                                                        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                        Target.Secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request) return std::nullopt;
    if (!exchange->Attach(request.get())) return std::nullopt;
    if (!LimitRedirects(request.get(), Options.MaxRedirects)) return std::nullopt;

    // One call adds them all, in order.
    if (!Target.HeaderBlock.empty() &&
        !WinHttp()->AddRequestHeaders(request.get(), Target.HeaderBlock.c_str(),
                                      static_cast<DWORD>(Target.HeaderBlock.size()), WINHTTP_ADDREQ_FLAG_ADD)) {
        return std::nullopt;
    }
    const std::wstring askedUrl = RequestUrl(request.get());

    if (GivenUp(Options, deadline)) return std::nullopt;
    // The exchange's copy: WinHTTP may still be sending it after we left.
    const std::string_view sent = exchange->RequestBody();
    void* data = sent.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(sent.data());
    const auto size = static_cast<DWORD>(sent.size());
    const auto context = reinterpret_cast<DWORD_PTR>(exchange.get());
    if (!WinHttp()->SendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, data, size, size, context))
        return std::nullopt;
    if (!exchange->Await(WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE, deadline, Options.Cancel)) return std::nullopt;
    if (!WinHttp()->ReceiveResponse(request.get(), nullptr)) return std::nullopt;
    if (!exchange->Await(WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE, deadline, Options.Cancel)) return std::nullopt;

    THttpResponse response;
    DWORD statusSize = sizeof response.Status;
    WinHttp()->QueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &response.Status, &statusSize, WINHTTP_NO_HEADER_INDEX);
    response.Redirected = AnsweredElsewhere(request.get(), askedUrl, *exchange);
    if (!ReadBody(request.get(), *exchange, Options, deadline)) return std::nullopt;
    response.Body = exchange->TakeBody();
    return response;
}

}  // namespace quillon
