#include "service/reply_step.h"

#include "platform/command_line.h"
#include "service/notice.h"

namespace quillon {

void RunReplyStep(const std::wstring& Data, const TUpdateDialogArgs& Dialog, const TReplyProc& Proc,
                  const std::atomic<bool>& Closing) {
    const std::wstring link = ReadUpdateLink(Data);
    bool close = false;
    if (!link.empty()) {
        const bool yes = UpdateDialog(Data, Dialog);
        if (Closing.load()) return;
        if (yes) {
            ShellOpen(link);
            close = true;
        }
    }
    Proc(close, Data);
}

}  // namespace quillon
