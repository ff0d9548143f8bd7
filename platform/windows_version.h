#pragma once
// The version of the running Windows as the kernel knows it. The usual
// version calls answer what the program's manifest declares it was tested
// with, which says nothing about what the system itself does.

#include <windows.h>

namespace quillon {

// The major version number (10 on Windows 10 and 11, 6 on Windows 7 to
// 8.1); 0 when the system does not tell.
DWORD TrueWindowsMajorVersion();

}  // namespace quillon
