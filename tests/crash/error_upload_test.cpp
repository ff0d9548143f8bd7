// Sending a report to the report address, which in this build is the
// endpoint stub: what counts as taken, and what does not.

#include <gtest/gtest.h>

#include <string>

#include "crash/error_upload.h"
#include "tests/support/endpoint_stub.h"

namespace quillon {
namespace {

using nlohmann::json;

TEST(ErrorUpload, OnlyADirectTwoHundredAnswerCountsAsSent) {
    struct TCase {
        const char* Name;
        json Steps;
        bool Sent;
    };
    const json reply = {{"kind", "reply"}, {"body", "{}"}};
    const TCase cases[] = {
        {"200", {reply}, true},
        {"204", {{{"kind", "reply"}, {"status", 204}}}, true},
        {"500", {{{"kind", "reply"}, {"status", 500}}}, false},
        {"404", {{{"kind", "reply"}, {"status", 404}}}, false},
        // A redirected POST would arrive as a GET without the report.
        {"redirect", {{{"kind", "redirect"}, {"location", "/taken"}}}, false},
        // Even one that would keep the method and the body is not followed.
        {"307", {{{"kind", "redirect"}, {"status", 307}, {"location", "/taken"}}}, false},
        {"308", {{{"kind", "redirect"}, {"status", 308}, {"location", "/taken"}}}, false},
        {"refused", {{{"kind", "refuse"}}}, false},
        {"dropped", {{{"kind", "drop"}}}, false},
    };
    const std::string report = "Quillon error report\r\nError: \xED\x95\x9C\r\n";
    for (const TCase& testCase : cases) {
        SCOPED_TRACE(testCase.Name);
        const test::TEndpointStub stub;
        stub.Script({{"paths", {{"/api.report.php", testCase.Steps}, {"/taken", {reply}}}}});

        EXPECT_EQ(SendErrorReport(report), testCase.Sent);
        const json requests = stub.Requests();
        ASSERT_EQ(requests.size(), 1u) << requests.dump();
        EXPECT_EQ(requests[0]["method"], "POST");
        EXPECT_EQ(requests[0]["path"], "/api.report.php");
        EXPECT_EQ(requests[0]["body"], report);
        EXPECT_EQ(test::HeaderOf(requests[0], "Content-Type"), "text/plain; charset=utf-8");
    }
}

}  // namespace
}  // namespace quillon
