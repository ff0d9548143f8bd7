#pragma once
// The test side of the endpoint stub (tools/endpoint_stub.py), which CTest
// starts on this build's loopback port: scripts its answers and reads what
// it received, over HTTP.

#include <nlohmann/json.hpp>

#include <string>
#include <utility>
#include <vector>

namespace quillon::test {

class TEndpointStub {
public:
    // Forgets the last test's script and requests.
    TEndpointStub();
    // Forgets them again, mid-test.
    void Reset() const;

    // The stub's address of Path ("/api.init.php").
    static std::wstring Url(const std::wstring& Path);

    // Replaces the script; see tools/endpoint_stub.py for its form.
    void Script(const nlohmann::json& Script) const;
    // Every path answers one reply from now on.
    void Reply(const std::string& Body, int Status = 200) const;
    // The requests received since the last reset, oldest first: each with
    // "method", "path", "headers" ([name, value] pairs in order) and "body".
    [[nodiscard]] nlohmann::json Requests() const;
    // The requests to one path.
    [[nodiscard]] nlohmann::json RequestsTo(const std::string& Path) const;
};

// The value of a recorded request's header, "" when it has none.
std::string HeaderOf(const nlohmann::json& Request, const std::string& Name);

// The headers the program added itself, those named "User-...", in order.
std::vector<std::pair<std::string, std::string>> CustomHeaders(const nlohmann::json& Request);

}  // namespace quillon::test
