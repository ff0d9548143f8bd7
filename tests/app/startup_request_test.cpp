// Quillon.exe and the endpoint stub: at start the program asks the service
// with the four headers and fills its list from the reply; closed while it
// waits between attempts, it ends and asks no more.
#include "platform/utf8.h"
#include "i18n/translation.h"
#include "platform/registry.h"
#include "service/client_identity.h"
#include "tests/support/run_values.h"
#include "tests/support/endpoint_stub.h"
#include "tests/support/quillon_process.h"
#include "tests/support/window_test.h"
#include "version.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace quillon {
namespace {

using nlohmann::json;
using test::TEndpointStub;

HWND ListOf(HWND Main) {
    HWND found = nullptr;
    ::EnumChildWindows(
        Main,
        [](HWND Child, LPARAM Param) CALLBACK -> BOOL {
            wchar_t name[64]{};
            ::GetClassNameW(Child, name, 64);
            if (std::wstring(name) != WC_LISTVIEWW) return TRUE;
            *reinterpret_cast<HWND*>(Param) = Child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

TEST(StartupRequest, TheProgramAsksWithTheFourHeadersAndFillsItsListFromTheReply) {
    const TEndpointStub stub;
    stub.Reply(R"({"name_white":["ContosoStartupHidden"]})");
    test::TRunValues values;
    values.Add(L"ContosoStartupShown", L"C:\\windows\\system32\\notepad.exe");

    test::TProcess quillon = test::Start(test::QuillonExe());
    ASSERT_TRUE(quillon.Process);
    HWND window = test::WaitForMainWindow(quillon.Id);
    ASSERT_NE(window, nullptr);
    HWND list = ListOf(window);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(test::PumpUntil([&] { return ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0; }))
        << "the list fills by itself";

    const json requests = stub.RequestsTo("/api.init.php");
    ASSERT_EQ(requests.size(), 1u);
    const std::string uid = Utf8FromWide(TReg::ReadString(HKEY_CURRENT_USER, kClientIdKey, kClientIdValue, L""));
    EXPECT_EQ(uid.size(), 32u);
    const std::vector<std::pair<std::string, std::string>> expected{
        {"User-Version", QUILLON_VERSION_TEXT},
        {"User-Language", Utf8FromWide(GetUserLanguage().substr(0, 2))},
        {"User-Debug", "true"},
        {"User-Union", uid},
    };
    EXPECT_EQ(test::CustomHeaders(requests[0]), expected);

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(test::ExitCodeAfter(quillon.Process.get(), 15000), 0u);
}

TEST(StartupRequest, ClosedWhileItWaitsBetweenAttemptsTheProgramEndsAndAsksNoMore) {
    const TEndpointStub stub;
    stub.Script({{"paths", {{"/api.init.php", {{{"kind", "refuse"}}}}}}});
    test::TProcess quillon = test::Start(test::QuillonExe());
    ASSERT_TRUE(quillon.Process);
    HWND window = test::WaitForMainWindow(quillon.Id);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(test::PumpUntil([&] { return stub.RequestsTo("/api.init.php").size() == 1; }));
    ::Sleep(200);

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(test::ExitCodeAfter(quillon.Process.get(), 15000), 0u);
    ::Sleep(1500);
    EXPECT_EQ(stub.RequestsTo("/api.init.php").size(), 1u);
}

}  // namespace
}  // namespace quillon
