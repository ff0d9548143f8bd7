#pragma once
// The update dialog: the offer of a newer version in the interface
// language, with Yes and No, and the notice row that the reply may ask for
// (a "hold" check box or a "note" link below a separator line).

#include <string>

namespace quillon {

// The dialog's window class, by which it can be found.
inline constexpr wchar_t kUpdateDialogClass[] = L"QuillonUpdateDialog";

struct TUpdateDialogArgs {
    // Pixels at 96 DPI by which the notice row's places are moved down from
    // where they would be at 0; the main window passes 10.
    int DialogOffset = 10;
    // Where a ticked hold box sends the hold request.
    std::wstring EndpointUrl;
};

// Shows the dialog for the reply Data, modal over this thread's windows,
// and waits: true only when the user answered Yes (Enter, unless the focus
// is on No); Escape, No and closing the dialog are No. When the hold box
// was ticked, the hold request goes out, whatever the answer. The dialog is
// titled with the application title, translated, and centred on the screen
// of the window it is shown over.
bool UpdateDialog(const std::wstring& Data, const TUpdateDialogArgs& Args);

}  // namespace quillon
