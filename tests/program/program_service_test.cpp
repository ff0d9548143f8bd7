// The program as it ships against a web service that misbehaves: one that
// never answers, one that drips its answer, one that redirects in a loop,
// and one that sends 100 MB. The list is there at once whatever the service
// does, and the program stays small and keeps running.

#include "tests/support/endpoint_stub.h"
#include "tests/support/running_quillon.h"

#include <gtest/gtest.h>
#include <psapi.h>

#include <chrono>
#include <string>

namespace quillon {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using test::WaitFor;

// The process's commit charge, in megabytes.
double CommitMegabytes(HANDLE Process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(Process, &counters, sizeof counters)) return -1;
    // Wine reports no private usage; the page-file usage carries it.
    return static_cast<double>(counters.PagefileUsage) / (1024.0 * 1024.0);
}

TEST(ProgramService, TheListIsThereAtOnceWhateverTheServiceDoes) {
    const json redirectLoop = {{"kind", "redirect"}, {"location", "/api.init.php"}};
    const struct {
        const char* Name;
        json Steps;
    } cases[] = {
        {"never answers", {{{"kind", "hang"}}}},
        {"drips", {{{"kind", "drip"}, {"body", std::string(1000, ' ')}, {"interval_ms", 1000}}}},
        {"redirects in a loop", {redirectLoop}},
        {"refuses", {{{"kind", "refuse"}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        const test::TEndpointStub stub;
        stub.Script({{"paths", {{"/api.init.php", c.Steps}}}});
        test::TRunningQuillon quillon;
        ASSERT_TRUE(quillon);
        EXPECT_TRUE(WaitFor([&] { return quillon.List().Count() > 0; }, 5s));
        EXPECT_TRUE(WaitFor([&] { return !stub.RequestsTo("/api.init.php").empty(); }, 5s));
        EXPECT_TRUE(quillon.Running());
        // Closed while the request waits on the service: it ends all the same.
        EXPECT_EQ(quillon.Close(), 0u);
    }
}

TEST(ProgramService, AHundredMegabyteReplyLeavesTheProgramSmall) {
    const test::TEndpointStub stub;
    stub.Reply("{}");
    double usual = 0;
    {
        test::TRunningQuillon quillon;
        ASSERT_TRUE(quillon);
        ASSERT_TRUE(WaitFor([&] { return !stub.RequestsTo("/api.init.php").empty(); }));
        ::Sleep(1500);
        usual = CommitMegabytes(quillon.Process());
        EXPECT_EQ(quillon.Close(), 0u);
    }
    stub.Reset();
    stub.Script(
        {{"paths", {{"/api.init.php", {{{"kind", "reply"}, {"size_bytes", 100 * 1024 * 1024}, {"fill", "x"}}}}}}});
    test::TRunningQuillon quillon;
    ASSERT_TRUE(quillon);
    ASSERT_TRUE(WaitFor([&] { return !stub.RequestsTo("/api.init.php").empty(); }));
    // The reply is read up to its cap, handed over, found to be no JSON, and
    // let go; the list is rebuilt meanwhile.
    ::Sleep(5000);
    EXPECT_TRUE(quillon.Running());
    EXPECT_GT(quillon.List().Count(), 0);
    const double after = CommitMegabytes(quillon.Process());
    EXPECT_LT(after, usual + 32) << "usually " << usual << " MB, after the large reply " << after << " MB";
    EXPECT_EQ(quillon.Close(), 0u);
}

}  // namespace
}  // namespace quillon
