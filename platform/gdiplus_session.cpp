#include "platform/gdiplus_session.h"

#include <gdiplus.h>

namespace quillon {

TGdiplusSession::TGdiplusSession() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&FToken, &input, nullptr);
}

TGdiplusSession::~TGdiplusSession() {
    if (FToken) Gdiplus::GdiplusShutdown(FToken);
}

}  // namespace quillon
