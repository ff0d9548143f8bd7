#pragma once
// What the whole program knows about itself once it runs: the title it
// shows in its dialogs, and whether memory still held at exit is reported.

#include <string>

namespace quillon {

// The application's title; the main window sets it to its caption while it
// is created. For the user-interface thread only.
void SetApplicationTitle(std::wstring Title);
const std::wstring& ApplicationTitle();

// The leak report at exit. The runtime keeps no report of its own, so this
// is only the flag; the service is told its value. Set by the entry point
// before any thread starts; safe to read on any thread.
void SetReportLeaksAtExit(bool Report) noexcept;
bool ReportLeaksAtExit() noexcept;

}  // namespace quillon
