// One HTTP request through WinHTTP, against the endpoint stub on the
// loopback address: what is sent, what counts as an answer, and what not;
// the deadline, the cancel event and the body cap against servers that are
// slow or say too much.
#include "platform/utf8.h"
#include "platform/http.h"
#include "platform/unique_handle.h"

#include "tests/support/endpoint_stub.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace quillon {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using test::HeaderOf;
using test::TEndpointStub;
using TClock = std::chrono::steady_clock;

std::optional<THttpResponse> Get(const std::string& Path, const THttpHeaders& Headers = {},
                                 const THttpOptions& Options = {}) {
    return HttpRequest(L"GET", TEndpointStub::Url(WideFromUtf8(Path)), Headers, {}, Options);
}

// Servers that keep a request alive far longer than these tests wait: one
// says nothing at all, one sends its body a byte every half second (half a
// minute in all, which no timeout of WinHTTP's ever notices).
json DripStep() { return {{"kind", "drip"}, {"body", std::string(60, 'd')}, {"interval_ms", 500}}; }

struct TSlowServer {
    const char* Name;
    json Step;
};

std::vector<TSlowServer> SlowServers() { return {{"hang", {{"kind", "hang"}}}, {"drip", DripStep()}}; }

// Size bytes of "0123456789" over and over, as the stub's fill sends them.
std::string Filled(std::size_t Size) {
    std::string text(Size, '\0');
    for (std::size_t at = 0; at < Size; ++at) text[at] = static_cast<char>('0' + at % 10);
    return text;
}

TEST(HttpRequest, SendsTheHeadersInOrderAndTakesAnyAnswer) {
    const TEndpointStub stub;
    stub.Script({{"paths", {{"/page", {{{"kind", "reply"}, {"status", 404}, {"body", "<html>gone</html>"}}}}}}});
    const std::optional<THttpResponse> answer =
        Get("/page", {{L"User-Version", L"1.0.0.1"}, {L"User-Language", L"ko"}});
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->Status, 404u);
    EXPECT_EQ(answer->Body, "<html>gone</html>");
    EXPECT_FALSE(answer->Redirected);

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
    EXPECT_TRUE(fiveAway->Redirected);
    EXPECT_FALSE(Get("/r0")) << "six redirects are too many";
}

TEST(HttpRequest, NoRedirectsAllowedMakesTheRedirectTheAnswer) {
    const TEndpointStub stub;
    stub.Script({{"paths",
                  {{"/from", {{{"kind", "redirect"}, {"status", 302}, {"location", "/to"}}}},
                   {"/to", {{{"kind", "reply"}, {"body", "moved here"}}}}}}});
    THttpOptions refuse;
    refuse.MaxRedirects = 0;
    const std::optional<THttpResponse> redirect = Get("/from", {}, refuse);
    ASSERT_TRUE(redirect);
    EXPECT_EQ(redirect->Status, 302u);
    EXPECT_FALSE(redirect->Redirected);
    EXPECT_TRUE(stub.RequestsTo("/to").empty()) << "the redirect was not followed";

    const std::optional<THttpResponse> followed = Get("/from");
    ASSERT_TRUE(followed);
    EXPECT_EQ(followed->Status, 200u);
    EXPECT_EQ(followed->Body, "moved here");
    EXPECT_TRUE(followed->Redirected);
}

TEST(HttpRequest, ReadsNoMoreOfTheBodyThanTheCap) {
    struct TCase {
        std::size_t Size;
        std::size_t Cap;
        std::size_t Kept;
    };
    const TCase cases[] = {
        {3 << 20, 1 << 20, 1 << 20}, {200000, 65536 + 7, 65536 + 7},  // the cap falls inside a read
        {1000, 1 << 20, 1000},                                        // all of a shorter body
        {1000, 1000, 1000},          {1000, 0, 0},
    };
    const TEndpointStub stub;
    for (const TCase& testCase : cases) {
        SCOPED_TRACE(std::to_string(testCase.Size) + " bytes, capped at " + std::to_string(testCase.Cap));
        stub.Script(
            {{"paths",
              {{"/big",
                {{{"kind", "reply"}, {"status", 203}, {"size_bytes", testCase.Size}, {"fill", "0123456789"}}}}}}});
        THttpOptions options;
        options.MaxBodyBytes = testCase.Cap;
        const std::optional<THttpResponse> answer = Get("/big", {}, options);
        ASSERT_TRUE(answer) << "a cut body is no failure";
        EXPECT_EQ(answer->Status, 203u);
        EXPECT_EQ(answer->Body.size(), testCase.Kept);
        EXPECT_TRUE(answer->Body == Filled(testCase.Kept)) << "the first bytes, in order";
    }
}

TEST(HttpRequest, TheDeadlineEndsASlowServer) {
    const TEndpointStub stub;
    for (const TSlowServer& server : SlowServers()) {
        SCOPED_TRACE(server.Name);
        stub.Script({{"paths", {{"/slow", {server.Step}}}}});
        THttpOptions options;
        options.DeadlineMs = 1500;
        const TClock::time_point start = TClock::now();
        EXPECT_FALSE(Get("/slow", {}, options));
        const TClock::duration took = TClock::now() - start;
        EXPECT_GE(took, 1400ms) << "the request waited for its deadline, it did not fail";
        EXPECT_LT(took, 10s);
    }
    EXPECT_EQ(stub.RequestsTo("/slow").size(), 2u);
}

TEST(HttpRequest, CancelEndsASlowServerAtOnce) {
    const TEndpointStub stub;
    for (const TSlowServer& server : SlowServers()) {
        SCOPED_TRACE(server.Name);
        stub.Script({{"paths", {{"/slow", {server.Step}}}}});
        const UniqueKernelHandle cancel(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        THttpOptions options;
        options.Cancel = cancel.get();
        const TClock::time_point start = TClock::now();
        std::jthread canceller([&cancel] {
            std::this_thread::sleep_for(1s);
            ::SetEvent(cancel.get());
        });
        EXPECT_FALSE(Get("/slow", {}, options));
        const TClock::duration took = TClock::now() - start;
        EXPECT_GE(took, 900ms) << "the request was under way when it was cancelled";
        EXPECT_LT(took, 10s);
    }

    // Set before the request: nothing is sent.
    stub.Reset();
    const UniqueKernelHandle cancelled(::CreateEventW(nullptr, TRUE, TRUE, nullptr));
    THttpOptions options;
    options.Cancel = cancelled.get();
    EXPECT_FALSE(Get("/slow", {}, options));
    EXPECT_TRUE(stub.RequestsTo("/slow").empty());
}

TEST(HttpRequest, AGivenUpRequestLetsGoOfItsConnection) {
    // The read still pending when the caller left completes with the next
    // byte; the connection must then be closed, not kept dripping.
    const TEndpointStub stub;
    stub.Script({{"paths", {{"/slow", {DripStep()}}}}});
    THttpOptions options;
    options.DeadlineMs = 1200;
    ASSERT_FALSE(Get("/slow", {}, options));
    const TClock::time_point gaveUp = TClock::now();
    json requests;
    do {
        std::this_thread::sleep_for(100ms);
        requests = stub.RequestsTo("/slow");
    } while (!requests.empty() && !requests[0].contains("answered") && TClock::now() - gaveUp < 15s);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].contains("answered")) << "the stub still drips into the connection";
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
