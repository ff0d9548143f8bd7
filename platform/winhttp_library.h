#pragma once
// WinHTTP, loaded from the system folder the first time a request is made.
// At start only the service's worker thread sends requests, so the library
// loads on that thread while the window is made, instead of delaying the
// program's start for every user who waits to see the list.

#include <windows.h>
#include <winhttp.h>

namespace quillon {

struct TWinHttp {
    decltype(&::WinHttpOpen) Open = nullptr;
    decltype(&::WinHttpCloseHandle) CloseHandle = nullptr;
    decltype(&::WinHttpCrackUrl) CrackUrl = nullptr;
    decltype(&::WinHttpSetTimeouts) SetTimeouts = nullptr;
    decltype(&::WinHttpConnect) Connect = nullptr;
    decltype(&::WinHttpOpenRequest) OpenRequest = nullptr;
    decltype(&::WinHttpSetOption) SetOption = nullptr;
    decltype(&::WinHttpQueryOption) QueryOption = nullptr;
    decltype(&::WinHttpAddRequestHeaders) AddRequestHeaders = nullptr;
    decltype(&::WinHttpSetStatusCallback) SetStatusCallback = nullptr;
    decltype(&::WinHttpSendRequest) SendRequest = nullptr;
    decltype(&::WinHttpReceiveResponse) ReceiveResponse = nullptr;
    decltype(&::WinHttpQueryHeaders) QueryHeaders = nullptr;
    decltype(&::WinHttpQueryDataAvailable) QueryDataAvailable = nullptr;
    decltype(&::WinHttpReadData) ReadData = nullptr;
};

// The library's functions, loaded once for the process, on any thread;
// null when the library or one of them is missing, and then no request is
// sent.
const TWinHttp* WinHttp();

}  // namespace quillon
