#include "crash/error_reporter.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "crash/error_report_format.h"
#include "platform/files.h"
#include "platform/unique_handle.h"
#include "version.h"

namespace quillon {

namespace {

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

// The report file at Path opened for reading and writing, with its
// contents read into Old; an empty handle when it cannot be opened or read.
UniqueFileHandle OpenReportFile(const std::wstring& Path, DWORD Disposition, std::string& Old) {
    UniqueFileHandle file(::CreateFileW(Path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        Disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file && !ReadWholeFile(file.get(), Old)) file.reset();
    return file;
}

}  // namespace

TErrorReporter::TErrorReporter(TErrorReportSeam Seam) : FSeam(std::move(Seam)) {}

TErrorReporter::~TErrorReporter() {
    for (std::thread& sender : FSenders) sender.join();
}

void TErrorReporter::Report(std::wstring_view Text) noexcept {
    TErrorReport error;
    try {
        error.Text = Text;
    } catch (...) {
        // No memory for the text; the box and the file still say something.
    }
    error.ThreadId = ::GetCurrentThreadId();
    Report(error);
}

void TErrorReporter::Report(const TErrorReport& Error) noexcept {
    TRole role;
    TFiled filed;
    bool fresh;
    {
        // One writer at a time; the file is closed again before any box
        // shows, so a user who kills the process at the box loses nothing.
        std::lock_guard lock(FMutex);
        fresh = FileReport(Error, filed);
        role = TakeRole(Error.ThreadId);
    }
    if (fresh) StartSending(std::move(filed));
    switch (role) {
    case TRole::ShowBoxAndEnd:
        ShowBoxOnOwnThread(Error.Text);
        WaitForSending();
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

TErrorReporter::TRole TErrorReporter::TakeRole(DWORD ThreadId) {
    if (FState == TState::Idle) {
        FState = TState::BoxShown;
        return TRole::ShowBoxAndEnd;
    }
    // The thread of the box can only fail from inside the box's message
    // loop. Waiting there would freeze the box and nobody could close it; the
    // first report is already on disk, so ending now loses nothing.
    if (FState == TState::BoxShown && FBoxThreadId == ThreadId) return TRole::EndNow;
    return TRole::Wait;
}

// True when the error is new, to this run and to the file, and so is to be
// sent.
bool TErrorReporter::FileReport(const TErrorReport& Error, TFiled& Filed) noexcept try {
    TErrorReportFacts facts{Error.Text, {}, QUILLON_VERSION_TEXT, Error.ThreadId, Error.Details, Error.SignatureKey};
    ::GetSystemTime(&facts.TimeUtc);
    Filed.Signature = ErrorSignature(facts);
    if (!FReported.insert(Filed.Signature).second) return false;
    Filed.Whole = FormatErrorReport(facts);
    facts.Sent = true;
    Filed.Head = FormatErrorReport(facts);

    // A file that cannot be opened or read cannot say whether the error is
    // known; it is sent all the same.
    std::string old;
    const UniqueFileHandle file = OpenReportFile(FSeam.ReportPath, OPEN_ALWAYS, old);
    if (!file) return true;
    if (ReportFileHasSignature(old, Filed.Signature)) return false;
    ReplaceContents(file.get(), old, AppendReportCapped(old, Filed.Whole));
    return true;
} catch (...) {
    // Out of memory, most likely. The box still tells the user.
    return false;
}

void TErrorReporter::StartSending(TFiled Filed) noexcept {
    if (!FSeam.Send) return;
    std::lock_guard lock(FMutex);
    try {
        FSenders.emplace_back([this, filed = std::move(Filed)] { Send(filed); });
        ++FSending;
    } catch (...) {
        // No thread to send from: the report stays in the file whole.
    }
}

void TErrorReporter::Send(const TFiled& Filed) noexcept {
    bool sent = false;
    try {
        sent = FSeam.Send(Filed.Whole);
    } catch (...) {
        // Not sent, then.
    }
    std::lock_guard lock(FMutex);
    if (sent) MarkSent(Filed);
    --FSending;
    FSendingChanged.notify_all();
}

void TErrorReporter::MarkSent(const TFiled& Filed) noexcept try {
    std::string old;
    const UniqueFileHandle file = OpenReportFile(FSeam.ReportPath, OPEN_EXISTING, old);
    if (!file) return;
    ReplaceContents(file.get(), old, ReplaceReport(old, Filed.Signature, Filed.Head));
} catch (...) {
    // The whole report stays; the error is known all the same.
}

void TErrorReporter::WaitForSending() noexcept {
    // The user has closed the box, and the program is to end; a report
    // still on its way gets a moment, not more.
    std::unique_lock lock(FMutex);
    FSendingChanged.wait_for(lock, std::chrono::milliseconds(FSeam.SendGraceMs), [this] { return FSending == 0; });
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
