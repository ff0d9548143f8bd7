#include "platform/error_reporter.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "platform/error_report_format.h"
#include "platform/unique_handle.h"
#include "version.h"

namespace quillon {

namespace {

bool ReadWholeFile(HANDLE File, std::string& Bytes) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(File, &size) || size.QuadPart < 0) return false;
    Bytes.resize(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < Bytes.size()) {
        DWORD read = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(Bytes.size() - done, 1u << 20));
        if (!::ReadFile(File, Bytes.data() + done, want, &read, nullptr) || read == 0) return false;
        done += read;
    }
    return true;
}

bool WriteAll(HANDLE File, std::string_view Bytes) {
    while (!Bytes.empty()) {
        DWORD written = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(Bytes.size(), 1u << 20));
        if (!::WriteFile(File, Bytes.data(), want, &written, nullptr) || written == 0) return false;
        Bytes.remove_prefix(written);
    }
    return true;
}

// Writes only the new tail when the old contents stay as they are (the usual
// case), so a crash halfway loses at most the new report.
void ReplaceContents(HANDLE File, std::string_view Old, std::string_view New) {
    if (New.starts_with(Old)) {
        WriteAll(File, New.substr(Old.size()));  // the pointer is at the end after reading
        return;
    }
    const LARGE_INTEGER start{};
    if (!::SetFilePointerEx(File, start, nullptr, FILE_BEGIN)) return;
    if (WriteAll(File, New)) ::SetEndOfFile(File);
}

}  // namespace

TErrorReporter::TErrorReporter(TErrorReportSeam Seam) : FSeam(std::move(Seam)) {}

void TErrorReporter::Report(std::wstring_view Text) noexcept {
    TRole role;
    {
        // One writer at a time; the file is closed again before any box
        // shows, so a user who kills the process at the box loses nothing.
        std::lock_guard lock(FMutex);
        AppendToFile(Text);
        role = TakeRole();
    }
    switch (role) {
    case TRole::ShowBoxAndEnd:
        ShowBoxOnOwnThread(Text);
        FSeam.EndProcess();
        return;
    case TRole::EndNow:
        FSeam.EndProcess();
        return;
    case TRole::Wait:
        FSeam.WaitForEnd();
        return;
    }
}

TErrorReporter::TRole TErrorReporter::TakeRole() {
    if (FState == TState::Idle) {
        FState = TState::BoxShown;
        return TRole::ShowBoxAndEnd;
    }
    // The thread of the box can only fail from inside the box's message
    // loop. Waiting there would freeze the box and nobody could close it; the
    // first report is already on disk, so ending now loses nothing.
    if (FState == TState::BoxShown && FBoxThreadId == ::GetCurrentThreadId()) return TRole::EndNow;
    return TRole::Wait;
}

void TErrorReporter::AppendToFile(std::wstring_view Text) noexcept try {
    UniqueFileHandle file(::CreateFileW(FSeam.ReportPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    std::string old;
    if (!ReadWholeFile(file.get(), old)) return;
    if (ReportFileHasSignature(old, ErrorSignature(Text, QUILLON_VERSION_TEXT))) return;
    TErrorReportFacts facts{Text, {}, QUILLON_VERSION_TEXT, ::GetCurrentThreadId()};
    ::GetSystemTime(&facts.TimeUtc);
    ReplaceContents(file.get(), old, AppendReportCapped(old, FormatErrorReport(facts)));
} catch (...) {
    // Out of memory, most likely. The box still tells the user.
}

void TErrorReporter::ShowBoxOnOwnThread(std::wstring_view Text) noexcept {
    // The box runs a message loop. On the failing thread that loop would also
    // feed that thread's windows, whose handlers may be what just failed (a
    // paint that throws throws again on the next paint). On a thread of its
    // own the box touches none of them while the failing thread blocks here.
    std::thread boxThread;
    try {
        boxThread = std::thread([this, Text] { RunBox(Text); });
    } catch (...) {
        RunBox(Text);  // no thread to be had: the box has to run here
        return;
    }
    boxThread.join();
}

void TErrorReporter::RunBox(std::wstring_view Text) noexcept {
    {
        std::lock_guard lock(FMutex);
        FBoxThreadId = ::GetCurrentThreadId();
    }
    try {
        FSeam.ShowBox(Text);
    } catch (...) {
        // Nothing more to show; the process ends all the same.
    }
    std::lock_guard lock(FMutex);
    // Thread ids are reused once a thread has gone, so forget this one.
    FBoxThreadId = 0;
    FState = TState::Ending;
}

}  // namespace quillon
