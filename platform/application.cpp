#include "platform/application.h"

#include <atomic>
#include <utility>

namespace quillon {
namespace {

std::wstring& Title() {
    static std::wstring title;
    return title;
}

constinit std::atomic<bool> GReportLeaksAtExit{false};

}  // namespace

void SetApplicationTitle(std::wstring Title) { quillon::Title() = std::move(Title); }

const std::wstring& ApplicationTitle() { return Title(); }

void SetReportLeaksAtExit(bool Report) noexcept { GReportLeaksAtExit.store(Report); }

bool ReportLeaksAtExit() noexcept { return GReportLeaksAtExit.load(); }

}  // namespace quillon
