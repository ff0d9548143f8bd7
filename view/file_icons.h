#pragma once
// File icons for the autorun list: each distinct icon location is extracted
// once and appended to the list's images after the fixed pictures; the cache
// remembers where it went.

#include "platform/unique_handle.h"
#include "view/autorun_item.h"
#include "view/list_images.h"

#include <string>
#include <string_view>

namespace quillon {

// Where an icon comes from: a file and the number of the icon in it.
struct TIconLocation {
    std::wstring Path;
    int Number = 0;
};

// The cache key of an icon location text: every double quote removed, then
// trimmed.
std::wstring IconKey(std::wstring_view Source);

// Splits a key at its first comma into the trimmed path and the icon number
// after it; a number that is not a whole decimal integer gives
// InvalidNumber. Without a comma the whole key is the path, icon 0.
TIconLocation ParseIconLocation(std::wstring_view Key, int InvalidNumber);

// The icon a key names, or none when the file is missing (a directory does
// not count), cannot be opened, starts like a program but is not a whole
// one, or the shell has no icon for it. The file is the one a native
// process would open at that path (NativeFilePath). For a file without icons
// of its own the shell gives the icon of the program its type opens with. A
// shortcut (.lnk) is followed here, without resolving it: its icon location
// when it names one, else its target, with environment references expanded
// as a native process would; a shortcut that cannot be read has no icon,
// and one leading to another shortcut is not followed further.
// InvalidNumber is the icon number for a key whose text after the comma is
// not a number; the list uses its fall-back picture's index for it.
UniqueIcon ExtractFileIcon(const std::wstring& Key, int InvalidNumber = kImageRegistry);

// The index in Images of the icon for Source, adding it on first use:
//   empty key (after removing quotes and blanks)   -> Fallback
//   key already in Cache                            -> the cached index
//   file missing, or the shell gives no icon        -> 0 (tried again next time)
//   icon added                                      -> its new index
//   the icon cannot be added to Images              -> Fallback
// Only an added icon enters Cache.
int GetFileIconIndex(TIconCache& Cache, HIMAGELIST Images, UINT Dpi, const std::wstring& Source, int Fallback);

}  // namespace quillon
