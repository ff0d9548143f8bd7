#include "service/service_request.h"

#include "i18n/translation.h"
#include "platform/application.h"
#include "platform/fault_hook.h"
#include "platform/errors.h"
#include "platform/utf8.h"
#include "service/client_identity.h"

#include <thread>
#include <utility>

namespace quillon {

bool HTTPGet(const std::wstring& Url, const THttpHeaders& Headers, std::wstring& Reply) {
    const std::optional<THttpTarget> target = MakeHttpTarget(Url, Headers);
    return target && HTTPGet(*target, Reply);
}

bool HTTPGet(const THttpTarget& Target, std::wstring& Reply, THttpOptions Options) {
    Options.MaxBodyBytes = kMaxReplyBytes;
    const std::optional<THttpResponse> response = HttpRequest(L"GET", Target, {}, Options);
    if (!response) return false;
    // The service writes UTF-8; a charset it declares is not trusted, and
    // the status is no reason to refuse the body.
    Reply = WideFromUtf8(response->Body);
    return true;
}

THttpHeaders StartupHeaders() {
    return {
        {L"User-Version", GetAppVersion()},
        {L"User-Language", CurrentLanguage()},
        {L"User-Debug", ReportLeaksAtExit() ? L"true" : L"false"},
        {L"User-Union", GetUID()},
    };
}

THttpHeaders HoldHeaders() { return {{L"User-Version", GetAppVersion()}, {L"User-Command", L"hold"}}; }

void StartHoldRequest(std::wstring Url) {
    std::thread([url = std::move(Url)] {
        RunGuarded([&url] {
            std::wstring ignored;
            Absorb(HTTPGet(url, HoldHeaders(), ignored));
        });
    }).detach();
}

}  // namespace quillon
