#pragma once
// GDI+ must be started before the logo and the list images are drawn and
// shut down after the last GDI+ object is gone: one session for the program.

#include <windows.h>

#include <cstdint>

namespace quillon {

class TGdiplusSession {
public:
    TGdiplusSession();
    ~TGdiplusSession();
    TGdiplusSession(const TGdiplusSession&) = delete;
    TGdiplusSession& operator=(const TGdiplusSession&) = delete;

private:
    ULONG_PTR FToken = 0;
};

}  // namespace quillon
