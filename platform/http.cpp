#include "platform/http.h"

#include "platform/unique_handle.h"

#include <winhttp.h>

namespace quillon {
namespace {

struct TInternetTraits {
    using Handle = HINTERNET;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::WinHttpCloseHandle(h); }
};
using UniqueInternet = UniqueHandle<TInternetTraits>;

std::optional<THttpTarget> SplitUrl(const std::wstring& Url) {
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!::WinHttpCrackUrl(Url.c_str(), static_cast<DWORD>(Url.size()), 0, &parts)) return std::nullopt;
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

std::optional<std::string> ReadBody(HINTERNET Request) {
    std::string body;
    for (;;) {
        DWORD available = 0;
        if (!::WinHttpQueryDataAvailable(Request, &available)) return std::nullopt;
        if (available == 0) return body;
        const std::size_t at = body.size();
        body.resize(at + available);
        DWORD read = 0;
        if (!::WinHttpReadData(Request, body.data() + at, available, &read)) return std::nullopt;
        body.resize(at + read);
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
    // No agent name: the request carries no User-Agent of ours.
    const UniqueInternet session(
        ::WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) return std::nullopt;
    const int timeout = static_cast<int>(Options.TimeoutMs);
    ::WinHttpSetTimeouts(session.get(), 0, timeout, timeout, timeout);
    const UniqueInternet connection(::WinHttpConnect(session.get(), Target.Host.c_str(), Target.Port, 0));
    if (!connection) return std::nullopt;
    const UniqueInternet request(::WinHttpOpenRequest(connection.get(), Verb, Target.PathAndQuery.c_str(), nullptr,
                                                      WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                      Target.Secure ? WINHTTP_FLAG_SECURE : 0));
    if (!request) return std::nullopt;
    DWORD redirects = Options.MaxRedirects;
    ::WinHttpSetOption(request.get(), WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, &redirects, sizeof redirects);

    // One call adds them all, in order.
    if (!Target.HeaderBlock.empty() &&
        !::WinHttpAddRequestHeaders(request.get(), Target.HeaderBlock.c_str(),
                                    static_cast<DWORD>(Target.HeaderBlock.size()), WINHTTP_ADDREQ_FLAG_ADD)) {
        return std::nullopt;
    }
    void* data = Body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(Body.data());
    const auto size = static_cast<DWORD>(Body.size());
    if (!::WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, data, size, size, 0))
        return std::nullopt;
    if (!::WinHttpReceiveResponse(request.get(), nullptr)) return std::nullopt;

    THttpResponse response;
    DWORD statusSize = sizeof response.Status;
    ::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                          WINHTTP_HEADER_NAME_BY_INDEX, &response.Status, &statusSize, WINHTTP_NO_HEADER_INDEX);
    std::optional<std::string> body = ReadBody(request.get());
    if (!body) return std::nullopt;
    response.Body = std::move(*body);
    return response;
}

}  // namespace quillon
