#pragma once
// What a shortcut file (.lnk) says about the file it stands for, read from
// the file alone: the link is never resolved, so nothing searches the disk,
// waits for a network or shows a window.

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

struct TShellLink {
    // The icon file the link names and the number of the icon in it, as
    // written (environment references unexpanded); empty when it names none.
    std::wstring IconPath;
    int IconNumber = 0;
    // The path of the file the link leads to, as written; empty for a link to
    // something that is no file.
    std::wstring Target;
};

// True when Path names a shortcut file by its ".lnk" ending (ASCII case
// ignored).
bool IsShellLinkPath(std::wstring_view Path);

// The link file Path read through the shell's link object; nothing when it
// cannot be read. COM is initialised for the call when the thread has not
// done so, and only that initialisation is undone afterwards.
std::optional<TShellLink> ReadShellLink(const std::wstring& Path);

}  // namespace quillon
