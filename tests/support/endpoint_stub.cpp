#include "tests/support/endpoint_stub.h"

#include "endpoint.h"
#include "platform/http.h"

#include <windows.h>

#include <stdexcept>

namespace quillon::test {
namespace {

// One request to the stub's control path; the answer's body.
std::string Call(const wchar_t* Verb, const std::wstring& Path, const std::string& Body = {}) {
    const std::optional<THttpResponse> answer = HttpRequest(Verb, TEndpointStub::Url(Path), {}, Body);
    if (!answer) throw std::runtime_error("the endpoint stub does not answer; is it running?");
    return answer->Body;
}

}  // namespace

TEndpointStub::TEndpointStub() { Reset(); }

void TEndpointStub::Reset() const { Call(L"POST", L"/__stub/reset"); }

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

std::vector<std::pair<std::string, std::string>> CustomHeaders(const nlohmann::json& Request) {
    std::vector<std::pair<std::string, std::string>> custom;
    for (const nlohmann::json& header : Request["headers"]) {
        const std::string name = header[0];
        if (name.rfind("User-", 0) == 0) custom.emplace_back(name, header[1]);
    }
    return custom;
}

}  // namespace quillon::test
