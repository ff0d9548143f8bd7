// The endpoint stub that the service tests talk to: scripted answers per
// request, and every request recorded with its headers in order.
#include "tests/support/endpoint_stub.h"

#include "endpoint.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <winhttp.h>

namespace quillon {
namespace {

using test::HeaderOf;
using test::TEndpointStub;

// Whether a GET of Path received an answer, and its status.
DWORD Status(const std::wstring& Path, const wchar_t* Headers = WINHTTP_NO_ADDITIONAL_HEADERS) {
    HINTERNET session = ::WinHttpOpen(L"t", WINHTTP_ACCESS_TYPE_NO_PROXY, nullptr, nullptr, 0);
    HINTERNET connection = ::WinHttpConnect(session, L"127.0.0.1", QUILLON_STUB_PORT, 0);
    HINTERNET request = ::WinHttpOpenRequest(connection, L"GET", Path.c_str(), nullptr, nullptr, nullptr, 0);
    DWORD status = 0;
    DWORD size = sizeof status;
    if (::WinHttpSendRequest(request, Headers, static_cast<DWORD>(-1), nullptr, 0, 0, 0) &&
        ::WinHttpReceiveResponse(request, nullptr)) {
        ::WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, nullptr, &status, &size,
                              nullptr);
    }
    ::WinHttpCloseHandle(request);
    ::WinHttpCloseHandle(connection);
    ::WinHttpCloseHandle(session);
    return status;
}

TEST(EndpointStub, AnswersByScriptAndRecordsEveryRequest) {
    const TEndpointStub stub;
    stub.Script(
        {{"paths",
          {{"/api.init.php",
            {{{"kind", "refuse"}}, {{"kind", "drop"}}, {{"kind", "reply"}, {"status", 404}, {"body", "gone"}}}}}}});
    EXPECT_EQ(Status(L"/api.init.php", L"User-Version: 1\r\nUser-Language: ko\r\n"), 0u) << "refused";
    EXPECT_EQ(Status(L"/api.init.php"), 0u) << "dropped";
    EXPECT_EQ(Status(L"/api.init.php"), 404u);
    EXPECT_EQ(Status(L"/api.init.php"), 404u) << "the last step stays";
    EXPECT_EQ(Status(L"/other"), 200u) << "a path without a script";

    const nlohmann::json requests = stub.RequestsTo("/api.init.php");
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(HeaderOf(requests[0], "User-Language"), "ko");
    EXPECT_EQ(stub.Requests().size(), 5u);
}

}  // namespace
}  // namespace quillon
