#include "tests/support/endpoint_stub.h"

#include "endpoint.h"
#include "platform/unique_handle.h"

#include <windows.h>
#include <winhttp.h>

#include <stdexcept>

namespace quillon::test {
namespace {

struct THttpTraits {
    using Handle = HINTERNET;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { ::WinHttpCloseHandle(h); }
};
using UniqueInternet = UniqueHandle<THttpTraits>;

// One request to the stub's control path; the answer's body.
std::string Call(const wchar_t* Verb, const std::wstring& Path, const std::string& Body = {}) {
    const UniqueInternet session(
        ::WinHttpOpen(L"QuillonTest", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
    const UniqueInternet connection(::WinHttpConnect(session.get(), L"127.0.0.1", QUILLON_STUB_PORT, 0));
    const UniqueInternet request(::WinHttpOpenRequest(connection.get(), Verb, Path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                                      WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
    if (!request) throw std::runtime_error("the endpoint stub cannot be asked");
    void* data = Body.empty() ? WINHTTP_NO_REQUEST_DATA : const_cast<char*>(Body.data());
    const auto size = static_cast<DWORD>(Body.size());
    if (!::WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, data, size, size, 0) ||
        !::WinHttpReceiveResponse(request.get(), nullptr)) {
        throw std::runtime_error("the endpoint stub does not answer; is it running?");
    }
    std::string answer;
    for (;;) {
        char chunk[8192];
        DWORD read = 0;
        if (!::WinHttpReadData(request.get(), chunk, sizeof chunk, &read) || read == 0) break;
        answer.append(chunk, read);
    }
    return answer;
}

}  // namespace

TEndpointStub::TEndpointStub() { Call(L"POST", L"/__stub/reset"); }

std::wstring TEndpointStub::Url(const std::wstring& Path) {
    return L"http://127.0.0.1:" + std::to_wstring(QUILLON_STUB_PORT) + Path;
}

void TEndpointStub::Script(const nlohmann::json& Script) const { Call(L"POST", L"/__stub/script", Script.dump()); }

void TEndpointStub::Reply(const std::string& Body, int Status) const {
    Script({{"paths", {{"*", {{{"kind", "reply"}, {"status", Status}, {"body", Body}}}}}}});
}

nlohmann::json TEndpointStub::Requests() const { return nlohmann::json::parse(Call(L"GET", L"/__stub/requests")); }

nlohmann::json TEndpointStub::RequestsTo(const std::string& Path) const {
    nlohmann::json matching = nlohmann::json::array();
    for (const nlohmann::json& request : Requests()) {
        const std::string path = request["path"];
        if (path.substr(0, path.find('?')) == Path) matching.push_back(request);
    }
    return matching;
}

std::string HeaderOf(const nlohmann::json& Request, const std::string& Name) {
    for (const nlohmann::json& header : Request["headers"]) {
        const std::string name = header[0];
        if (_stricmp(name.c_str(), Name.c_str()) == 0) return header[1];
    }
    return {};
}

}  // namespace quillon::test
