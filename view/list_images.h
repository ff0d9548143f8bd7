#pragma once
// The images of the autorun list: four fixed pictures of our own, drawn as
// vectors for the list's DPI, followed by file icons added at run time.

#include "platform/unique_handle.h"

namespace quillon {

inline constexpr int kImageBlank = 0;     // a file that is missing or has no icon
inline constexpr int kImageRegistry = 1;  // an entry without a file
inline constexpr int kImageClock = 2;     // scheduled tasks
inline constexpr int kImageGears = 3;     // services
inline constexpr int kFixedImageCount = 4;

// Pictures are 16 x 16 at 96 DPI, centred vertically in a cell one pixel
// less than a row: a report list makes its rows as high as the image cell
// plus one pixel, and the rows are to be 24 high.
inline constexpr int kImageSize = 16;
inline constexpr int kRowHeight = 24;
int ImageCellHeight(UINT Dpi);

// A new image list for Dpi holding the four fixed images.
UniqueImageList CreateListImages(UINT Dpi);

// Appends the blank page; returns its index, or -1 on failure.
int AddBlankImage(HIMAGELIST List, UINT Dpi);

// Appends Icon, drawn at the list's image size for Dpi with its own
// transparency, centred in a cell; returns its index, or -1 on failure.
int AddIconImage(HIMAGELIST List, HICON Icon, UINT Dpi);

}  // namespace quillon
