// The start-up request against the endpoint stub: the headers, the retries
// and their pauses, what counts as a reply, and what happens when the check
// is let go while it waits.
#include "platform/utf8.h"
#include "service/update_check.h"

#include "i18n/translation.h"
#include "platform/application.h"
#include "service/client_identity.h"
#include "service/service_request.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/endpoint_stub.h"
#include "tests/support/opened_links.h"
#include "tests/support/window_test.h"

#include <chrono>

namespace quillon {
namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using test::CustomHeaders;
using test::PumpFor;
using test::PumpUntil;
using test::TEndpointStub;

// A pause that the tests can sit through sixty times.
constexpr TRetryPolicy kShortPauses{.PauseMs = 1};

struct TReplies {
    int Calls = 0;
    bool Close = false;
    std::wstring Reply;

    TReplyProc Proc() {
        return [this](bool CloseIt, const std::wstring& Text) {
            ++Calls;
            Close = CloseIt;
            Reply = Text;
        };
    }
};

std::wstring Endpoint() { return TEndpointStub::Url(L"/api.init.php"); }

json RequestsToEndpoint(const TEndpointStub& Stub) { return Stub.RequestsTo("/api.init.php"); }

class UpdateCheckTest : public test::WindowTest {
protected:
    UpdateCheckTest() {
        SetReportLeaksAtExit(true);
        SetApplicationTitle(L"Quillon");
    }
    TEndpointStub FStub;
    TReplies FReplies;
};

TEST_F(UpdateCheckTest, SendsTheFourHeadersInOrderOnceAndHandsTheReplyOver) {
    const std::string body = R"({"name_white":["Contoso"],"update":""})";
    FStub.Reply(body);
    const TUpdateCheck check = CheckUpdate(Endpoint(), FReplies.Proc(), 10);
    ASSERT_TRUE(PumpUntil([&] { return FReplies.Calls > 0; }));
    PumpFor(200ms);

    EXPECT_EQ(FReplies.Calls, 1);
    EXPECT_FALSE(FReplies.Close);
    EXPECT_EQ(FReplies.Reply, L"{\"name_white\":[\"Contoso\"],\"update\":\"\"}");
    const json requests = RequestsToEndpoint(FStub);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["method"], "GET");
    EXPECT_EQ(requests[0]["body"], "");
    const std::string uid = Utf8FromWide(GetUID());
    EXPECT_EQ(uid.size(), 32u);
    const std::vector<std::pair<std::string, std::string>> expected{
        {"User-Version", Utf8FromWide(GetAppVersion())},
        {"User-Language", Utf8FromWide(CurrentLanguage())},
        {"User-Debug", "true"},
        {"User-Union", uid},
    };
    EXPECT_EQ(CustomHeaders(requests[0]), expected);
    EXPECT_EQ(test::HeaderOf(requests[0], "User-Agent"), "") << "no user agent of the program's own";
}

TEST_F(UpdateCheckTest, AnAnswerAtTheThirdAttemptAfterPausesOfASecond) {
    FStub.Script(
        {{"paths",
          {{"/api.init.php", {{{"kind", "refuse"}}, {{"kind", "drop"}}, {{"kind", "reply"}, {"body", "third"}}}}}}});
    const TUpdateCheck check = CheckUpdate(Endpoint(), FReplies.Proc(), 10);
    ASSERT_TRUE(PumpUntil([&] { return FReplies.Calls > 0; }));
    PumpFor(1500ms);

    EXPECT_EQ(FReplies.Calls, 1);
    EXPECT_EQ(FReplies.Reply, L"third");
    const json requests = RequestsToEndpoint(FStub);
    ASSERT_EQ(requests.size(), 3u) << "no request after the answer";
    for (std::size_t i = 1; i < requests.size(); ++i) {
        const double gap = requests[i]["time"].get<double>() - requests[i - 1]["time"].get<double>();
        EXPECT_GE(gap, 0.95) << "100 pauses of 10 ms between attempts";
        EXPECT_EQ(CustomHeaders(requests[i]), CustomHeaders(requests[0])) << "the same headers every time";
    }
}

TEST_F(UpdateCheckTest, GivesUpAfterSixtyFailedAttemptsWithOneEmptyCallback) {
    FStub.Script({{"paths", {{"/api.init.php", {{{"kind", "refuse"}}}}}}});
    const TUpdateCheck check = CheckUpdate(Endpoint(), FReplies.Proc(), 10, kShortPauses);
    ASSERT_TRUE(PumpUntil([&] { return FReplies.Calls > 0; }, 60s));
    PumpFor(300ms);
    EXPECT_EQ(FReplies.Calls, 1);
    EXPECT_FALSE(FReplies.Close);
    EXPECT_EQ(FReplies.Reply, L"");
    EXPECT_EQ(RequestsToEndpoint(FStub).size(), 60u);

    // Nobody listening at all is the same as a refusal.
    TReplies nobody;
    const TUpdateCheck unreachable = CheckUpdate(L"http://127.0.0.1:9/api.init.php", nobody.Proc(), 10, kShortPauses);
    ASSERT_TRUE(PumpUntil([&] { return nobody.Calls > 0; }, 60s));
    EXPECT_EQ(nobody.Calls, 1);
    EXPECT_EQ(nobody.Reply, L"");
}

TEST_F(UpdateCheckTest, AnyAnswerIsTheReplyWhateverItsStatusOrDeclaredCharset) {
    struct TCase {
        json Steps;
        std::wstring Reply;
        std::size_t Requests;
    };
    const TCase cases[] = {
        {{{{"kind", "reply"}, {"status", 404}, {"body", "<html><body>Not here</body></html>"}}},
         L"<html><body>Not here</body></html>",
         1},
        {{{{"kind", "reply"}, {"status", 500}, {"body", "oops"}}}, L"oops", 1},
        // UTF-8 bytes declared as Latin-1 are still read as UTF-8.
        {{{{"kind", "reply"}, {"charset", "ISO-8859-1"}, {"body", "{\"name_white\":[\"Caf\xC3\xA9 \xED\x95\x9C\"]}"}}},
         L"{\"name_white\":[\"Caf\u00e9 \ud55c\"]}",
         1},
        {{{{"kind", "delay"}, {"delay_ms", 300}, {"then", {{"kind", "reply"}, {"body", "late"}}}}}, L"late", 1},
    };
    for (const TCase& c : cases) {
        const TEndpointStub stub;
        stub.Script({{"paths", {{"/api.init.php", c.Steps}}}});
        TReplies replies;
        const TUpdateCheck check = CheckUpdate(Endpoint(), replies.Proc(), 10, kShortPauses);
        ASSERT_TRUE(PumpUntil([&] { return replies.Calls > 0; })) << c.Steps.dump();
        EXPECT_EQ(replies.Reply, c.Reply) << c.Steps.dump();
        EXPECT_EQ(RequestsToEndpoint(stub).size(), c.Requests) << c.Steps.dump();
    }

    // A redirect is followed; the answer at its end is the reply.
    FStub.Script({{"paths",
                   {{"/api.init.php", {{{"kind", "redirect"}, {"location", "/moved"}}}},
                    {"/moved", {{{"kind", "reply"}, {"body", "moved here"}}}}}}});
    const TUpdateCheck redirected = CheckUpdate(Endpoint(), FReplies.Proc(), 10, kShortPauses);
    ASSERT_TRUE(PumpUntil([&] { return FReplies.Calls > 0; }));
    EXPECT_EQ(FReplies.Reply, L"moved here");
    EXPECT_EQ(FStub.RequestsTo("/moved").size(), 1u);
}

TEST_F(UpdateCheckTest, ReturnsAtOnceAndTheThreadKeepsHandlingMessagesWhileTheWorkerWaits) {
    FStub.Script({{"paths",
                   {{"/api.init.php",
                     {{{"kind", "delay"}, {"delay_ms", 1500}, {"then", {{"kind", "reply"}, {"body", "{}"}}}}}}}}});
    static int ticks = 0;
    ticks = 0;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) CALLBACK { ++ticks; });
    int ticksAtReply = -1;
    const TUpdateCheck check = CheckUpdate(
        Endpoint(),
        [&](bool, const std::wstring&) {
            ticksAtReply = ticks;
            ++FReplies.Calls;
        },
        10);
    EXPECT_EQ(FReplies.Calls, 0) << "the reply comes later, never inside CheckUpdate";
    ASSERT_TRUE(PumpUntil([&] { return FReplies.Calls > 0; }));
    ::KillTimer(nullptr, timer);
    // 1.5 s of waiting is some 75 ticks; a blocked thread would have none.
    EXPECT_GE(ticksAtReply, 20);
}

TEST_F(UpdateCheckTest, CancelledDuringAPauseItSendsNothingMoreAndNeverCallsBack) {
    FStub.Script({{"paths", {{"/api.init.php", {{{"kind", "refuse"}}}}}}});
    TUpdateCheck check = CheckUpdate(Endpoint(), FReplies.Proc(), 10);
    ASSERT_TRUE(PumpUntil([&] { return RequestsToEndpoint(FStub).size() == 1; }));
    PumpFor(200ms);
    check.Stop();
    PumpFor(2500ms);
    EXPECT_EQ(RequestsToEndpoint(FStub).size(), 1u);
    EXPECT_EQ(FReplies.Calls, 0);
}

TEST_F(UpdateCheckTest, TheReplyStepRunsFromTheThreadsOwnLoopNotInsideASentMessage) {
    // Inside a message sent from another thread no outgoing COM call can
    // be made, and the reply procedure fills the list through COM.
    FStub.Reply("{}");
    bool insideSentMessage = true;
    const TUpdateCheck check = CheckUpdate(
        Endpoint(),
        [&](bool, const std::wstring&) {
            insideSentMessage = ::InSendMessage() != FALSE;
            ++FReplies.Calls;
        },
        10);
    ASSERT_TRUE(PumpUntil([&] { return FReplies.Calls > 0; }));
    EXPECT_FALSE(insideSentMessage);
}

TEST_F(UpdateCheckTest, AnAttemptEndsAtItsDeadlineAndTheNextOneFollows) {
    // A server that sends its head and then a byte now and then would keep
    // an attempt alive for as long as it drips.
    FStub.Script({{"paths",
                   {{"/api.init.php",
                     {{{"kind", "drip"}, {"body", std::string(200, 'x')}, {"interval_ms", 300}},
                      {{"kind", "reply"}, {"body", "second"}}}}}}});
    const TUpdateCheck check = CheckUpdate(Endpoint(), FReplies.Proc(), 10, {.PauseMs = 1, .AttemptDeadlineMs = 1500});
    ASSERT_TRUE(PumpUntil([&] { return FReplies.Calls > 0; }, 20s));
    EXPECT_EQ(FReplies.Reply, L"second");
    EXPECT_EQ(RequestsToEndpoint(FStub).size(), 2u);
}

TEST_F(UpdateCheckTest, AReplyIsReadUpToSixteenMegabytesAndNoFurther) {
    FStub.Script(
        {{"paths", {{"/api.init.php", {{{"kind", "reply"}, {"size_bytes", 20 * 1024 * 1024}, {"fill", "x"}}}}}}});
    std::size_t length = 0;
    bool onlyFill = false;
    const TUpdateCheck check = CheckUpdate(
        Endpoint(),
        [&](bool, const std::wstring& Reply) {
            length = Reply.size();
            onlyFill = Reply.find_first_not_of(L'x') == std::wstring::npos;
            ++FReplies.Calls;
        },
        10, kShortPauses);
    ASSERT_TRUE(PumpUntil([&] { return FReplies.Calls > 0; }, 60s));
    EXPECT_EQ(length, kMaxReplyBytes);
    EXPECT_TRUE(onlyFill);
    EXPECT_EQ(RequestsToEndpoint(FStub).size(), 1u) << "a cut reply is a reply, not a failure";
}

TEST_F(UpdateCheckTest, StoppedDuringAnAttemptThatHangsItEndsAtOnceWithoutCallingBack) {
    FStub.Script({{"paths", {{"/api.init.php", {{{"kind", "hang"}}}}}}});
    TUpdateCheck check = CheckUpdate(Endpoint(), FReplies.Proc(), 10);
    ASSERT_TRUE(PumpUntil([&] { return RequestsToEndpoint(FStub).size() == 1; }));
    const auto before = std::chrono::steady_clock::now();
    check.Stop();
    // The attempt's own limits are a minute; stopping does not wait for them.
    EXPECT_LT(std::chrono::steady_clock::now() - before, 10s);
    PumpFor(300ms);
    EXPECT_EQ(FReplies.Calls, 0);
}

TEST_F(UpdateCheckTest, StoppedWhileTheUpdateDialogIsUpTheWorkerEndsAndNothingIsCalledBack) {
    FStub.Reply(R"({"update":"http://127.0.0.1/download"})");
    const test::TOpenedLinks links;
    TUpdateCheck check = CheckUpdate(Endpoint(), FReplies.Proc(), 10);
    bool stoppedWhileUp = false;
    // The window closes while the dialog asks: the check stops from inside
    // the dialog's loop, and the dialog's answer then reaches nobody.
    const test::TDialogDriver driver({[&](HWND) {
                                          check.Stop();
                                          stoppedWhileUp = true;
                                      },
                                      [](HWND Dialog) { test::PressKey(Dialog, VK_RETURN); }});
    ASSERT_TRUE(PumpUntil([&] { return driver.Shown() > 0 && stoppedWhileUp; }));
    PumpFor(500ms);
    EXPECT_EQ(FReplies.Calls, 0);
    EXPECT_TRUE(links.WaitFor(1, 1s).empty()) << "a Yes after the stop opens nothing";
}

TEST_F(UpdateCheckTest, AReplyThatArrivesAfterTheCheckWasLetGoReachesNothing) {
    FStub.Script({{"paths",
                   {{"/api.init.php",
                     {{{"kind", "delay"},
                       {"delay_ms", 1000},
                       {"then", {{"kind", "reply"}, {"body", R"({"update":"http://127.0.0.1/download"})"}}}}}}}}});
    const test::TDialogDriver driver({[](HWND Dialog) { test::PressKey(Dialog, VK_ESCAPE); }});
    {
        auto replies = std::make_unique<TReplies>();
        const TUpdateCheck check = CheckUpdate(Endpoint(), replies->Proc(), 10);
        ASSERT_TRUE(PumpUntil([&] { return RequestsToEndpoint(FStub).size() == 1; }));
    }  // the check and what its procedure would reach go here
    PumpFor(2500ms);
    EXPECT_EQ(driver.Shown(), 0) << "no dialog for a check that was let go";
    EXPECT_EQ(RequestsToEndpoint(FStub).size(), 1u);
}

}  // namespace
}  // namespace quillon
