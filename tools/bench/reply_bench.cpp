// From the service's answer to the list rebuilt with its additions: how
// much the start-up request's hand-over, the reply step and the merge of the
// list extensions add to the refresh itself, in a prefix whose caches were
// warmed by a refresh first. Fifteen rounds, each measuring both on fresh
// main windows (whose list is filled as they show):
//   refresh alone  LoadAutorun, until the list is drawn
//   main road      from the moment the endpoint stub has sent its answer to
//                  the list drawn without the Run value the answer hides
// A refresh under Wine varies by tens of per cent from one call to the next,
// so each round is printed and the medians are compared: the ratio is main
// road / refresh alone. Needs the endpoint stub on this build's port
// (tools/bench.sh starts it).
#include "app/main_window.h"
#include "i18n/translation.h"
#include "platform/folders.h"
#include "platform/gdiplus_session.h"
#include "platform/registry.h"
#include "platform/scope_exit.h"
#include "tests/support/endpoint_stub.h"
#include "tools/bench/bare_enumeration.h"

#include <commctrl.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

namespace {

using namespace quillon;
using test::TEndpointStub;

// Wall-clock seconds since 1970, comparable with the stub's own times.
double UnixSeconds() {
    FILETIME now{};
    ::GetSystemTimePreciseAsFileTime(&now);
    const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return static_cast<double>(ticks - 116444736000000000ULL) / 1e7;
}

// A Run value of the bench's that the answer hides.
constexpr wchar_t kHiddenByReply[] = L"ContosoBenchHiddenByReply";

bool ShowsHidden(TFrmQuillon& Form) {
    const std::vector<TAutorunItem>& rows = Form.FrmAutorun().Rows();
    return std::any_of(rows.begin(), rows.end(),
                       [](const TAutorunItem& Row) { return Row.Target.ends_with(kHiddenByReply); });
}

// Until the window's list no longer shows the value the answer hides: the
// reply arrived and was handled.
bool WaitForReplyHandled(TFrmQuillon& Form) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (ShowsHidden(Form)) {
        if (std::chrono::steady_clock::now() > until) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        bench::PumpMessages();
    }
    return true;
}

// The service keeps the windows that only refresh waiting.
void HoldReplies(const TEndpointStub& Stub) {
    Stub.Script({{"paths",
                  {{"/api.init.php",
                    {{{"kind", "delay"}, {"delay_ms", 60000}, {"then", {{"kind", "reply"}, {"body", "{}"}}}}}}}}});
}

double RefreshAlone(const TEndpointStub& Stub) {
    HoldReplies(Stub);
    TFrmQuillon form;
    form.Show(SW_SHOWNORMAL);
    bench::PumpMessages();
    const double start = UnixSeconds();
    form.FrmAutorun().LoadAutorun();
    ::UpdateWindow(form.FrmAutorun().ListAutorun().Handle());
    return UnixSeconds() - start;
}

// Seconds from the stub's answer to the drawn list; nothing when no reply
// came.
std::optional<double> MainRoad(const TEndpointStub& Stub) {
    Stub.Reset();
    // As over a network, the answer comes once the window has been drawn.
    Stub.Script({{"paths",
                  {{"/api.init.php",
                    {{{"kind", "delay"},
                      {"delay_ms", 500},
                      {"then",
                       {{"kind", "reply"},
                        {"body", R"({"name_white":["ContosoBenchHiddenByReply"],"file_white":["contoso.exe*"],)"
                                 R"("name_black":[]})"}}}}}}}}});
    TFrmQuillon form;
    form.Show(SW_SHOWNORMAL);
    if (!ShowsHidden(form) || !WaitForReplyHandled(form)) return std::nullopt;
    ::UpdateWindow(form.FrmAutorun().ListAutorun().Handle());
    const double shown = UnixSeconds();
    const nlohmann::json requests = Stub.RequestsTo("/api.init.php");
    if (requests.size() != 1 || !requests[0].contains("answered")) return std::nullopt;
    return shown - requests[0]["answered"].get<double>();
}

double Median(std::vector<double> Values) {
    std::sort(Values.begin(), Values.end());
    return Values[Values.size() / 2];
}

}  // namespace

int wmain() {
    InitFolderVariables();
    InitTranslation();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    TGdiplusSession gdiplus;

    const TEndpointStub stub;
    const wchar_t* const run = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    TReg::WriteString(HKEY_CURRENT_USER, run, kHiddenByReply, L"C:\\QuillonBench\\hidden.exe");
    const auto removeValue = ScopeExit([run] { TReg::DeleteValue(HKEY_CURRENT_USER, run, kHiddenByReply); });
    RefreshAlone(stub);  // warms the file system, the version and icon readers
    std::vector<double> alone;
    std::vector<double> road;
    std::printf("%6s %18s %18s\n", "round", "refresh alone (ms)", "main road (ms)");
    for (int round = 1; round <= 15; ++round) {
        alone.push_back(RefreshAlone(stub));
        const std::optional<double> measured = MainRoad(stub);
        if (!measured) {
            std::printf("no reply came\n");
            return 1;
        }
        road.push_back(*measured);
        std::printf("%6d %18.2f %18.2f\n", round, alone.back() * 1000, road.back() * 1000);
    }
    std::printf("%6s %18.2f %18.2f\n", "median", Median(alone) * 1000, Median(road) * 1000);
    std::printf("ratio main road / refresh alone (medians): %.2f\n", Median(road) / Median(alone));
    return 0;
}
