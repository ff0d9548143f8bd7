#pragma once
// What happens on the user-interface thread once the start-up request has
// its reply, or has given up.

#include "service/update_dialog.h"

#include <atomic>
#include <functional>
#include <string>

namespace quillon {

// Told once how the start-up request ended: Close when the user accepted
// the update offer and its link went to the shell (the program should
// close), and the reply as received (empty when every attempt failed).
using TReplyProc = std::function<void(bool Close, const std::wstring& Reply)>;

// Looks for an update offer in Data; when there is one, asks with the update
// dialog, and a Yes hands the link to the shell. Then calls Proc with the
// outcome and Data, unless Closing became true while the dialog was up: the
// application is ending, and what Proc would reach may be gone.
void RunReplyStep(const std::wstring& Data, const TUpdateDialogArgs& Dialog, const TReplyProc& Proc,
                  const std::atomic<bool>& Closing);

}  // namespace quillon
