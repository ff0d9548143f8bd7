// One HTTP request through WinHTTP, against the endpoint stub on the
// loopback address: what is sent, what counts as an answer, and what not.
#include "platform/utf8.h"
#include "platform/http.h"

#include "tests/support/endpoint_stub.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

using nlohmann::json;
using test::HeaderOf;
using test::TEndpointStub;

std::optional<THttpResponse> Get(const std::string& Path, const THttpHeaders& Headers = {}) {
    return HttpRequest(L"GET", TEndpointStub::Url(WideFromUtf8(Path)), Headers);
}

TEST(HttpRequest, SendsTheHeadersInOrderAndTakesAnyAnswer) {
    const TEndpointStub stub;
    stub.Script({{"paths", {{"/page", {{{"kind", "reply"}, {"status", 404}, {"body", "<html>gone</html>"}}}}}}});
    const std::optional<THttpResponse> answer =
        Get("/page", {{L"User-Version", L"1.0.0.1"}, {L"User-Language", L"ko"}});
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->Status, 404u);
    EXPECT_EQ(answer->Body, "<html>gone</html>");

    const json requests = stub.RequestsTo("/page");
    ASSERT_EQ(requests.size(), 1u);
    std::vector<std::string> custom;
    for (const json& header : requests[0]["headers"]) {
        const std::string name = header[0];
        if (name.rfind("User-", 0) == 0) custom.push_back(name + "=" + std::string(header[1]));
    }
    EXPECT_EQ(custom, (std::vector<std::string>{"User-Version=1.0.0.1", "User-Language=ko"}))
        << "only ours, in order: no user agent of the program's own";
}

TEST(HttpRequest, PostsABody) {
    const TEndpointStub stub;
    const std::string body = "report \xED\x95\x9C";
    ASSERT_TRUE(HttpRequest(L"POST", TEndpointStub::Url(L"/report"), {}, body));
    const json requests = stub.RequestsTo("/report");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["method"], "POST");
    EXPECT_EQ(requests[0]["body"], body);
}

TEST(HttpRequest, FollowsFiveRedirectsButNotSix) {
    const TEndpointStub stub;
    json paths;
    for (int hop = 0; hop < 6; ++hop) {
        paths["/r" + std::to_string(hop)] = {{{"kind", "redirect"}, {"location", "/r" + std::to_string(hop + 1)}}};
    }
    paths["/r6"] = {{{"kind", "reply"}, {"body", "arrived"}}};
    stub.Script({{"paths", paths}});
    const std::optional<THttpResponse> fiveAway = Get("/r1");
    ASSERT_TRUE(fiveAway);
    EXPECT_EQ(fiveAway->Body, "arrived");
    EXPECT_FALSE(Get("/r0")) << "six redirects are too many";
}

TEST(HttpRequest, NoAnswerIsNothing) {
    const TEndpointStub stub;
    stub.Script({{"paths", {{"/refused", {{{"kind", "refuse"}}}}, {"/dropped", {{{"kind", "drop"}}}}}}});
    EXPECT_FALSE(Get("/refused"));
    EXPECT_FALSE(Get("/dropped"));
    EXPECT_EQ(stub.RequestsTo("/refused").size(), 1u);
    // Nobody listens on port 9 of the loopback address.
    EXPECT_FALSE(HttpRequest(L"GET", L"http://127.0.0.1:9/", {}));
    EXPECT_FALSE(HttpRequest(L"GET", L"ftp://127.0.0.1/", {}));
    EXPECT_FALSE(HttpRequest(L"GET", L"not an address", {}));
}

}  // namespace
}  // namespace quillon
