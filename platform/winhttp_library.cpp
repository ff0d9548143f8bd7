#include "platform/winhttp_library.h"

#include "platform/module_function.h"

namespace quillon {
namespace {

bool Load(TWinHttp& Api) {
    const HMODULE library = LoadSystemLibrary(L"winhttp.dll");
    return library && FindFunction(library, "WinHttpOpen", Api.Open) &&
           FindFunction(library, "WinHttpCloseHandle", Api.CloseHandle) &&
           FindFunction(library, "WinHttpCrackUrl", Api.CrackUrl) &&
           FindFunction(library, "WinHttpSetTimeouts", Api.SetTimeouts) &&
           FindFunction(library, "WinHttpConnect", Api.Connect) &&
           FindFunction(library, "WinHttpOpenRequest", Api.OpenRequest) &&
           FindFunction(library, "WinHttpSetOption", Api.SetOption) &&
           FindFunction(library, "WinHttpQueryOption", Api.QueryOption) &&
           FindFunction(library, "WinHttpAddRequestHeaders", Api.AddRequestHeaders) &&
           FindFunction(library, "WinHttpSetStatusCallback", Api.SetStatusCallback) &&
           FindFunction(library, "WinHttpSendRequest", Api.SendRequest) &&
           FindFunction(library, "WinHttpReceiveResponse", Api.ReceiveResponse) &&
           FindFunction(library, "WinHttpQueryHeaders", Api.QueryHeaders) &&
           FindFunction(library, "WinHttpQueryDataAvailable", Api.QueryDataAvailable) &&
           FindFunction(library, "WinHttpReadData", Api.ReadData);
}

}  // namespace

const TWinHttp* WinHttp() {
    // Kept for the life of the process, like the library.
    static const TWinHttp* const kApi = [] {
        static TWinHttp api;
        return Load(api) ? &api : nullptr;
    }();
    return kApi;
}

}  // namespace quillon
