#include "platform/shell_link.h"

#include "platform/scope_exit.h"
#include "platform/text.h"

#include <windows.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <wrl/client.h>

namespace quillon {
namespace {

using Microsoft::WRL::ComPtr;

std::optional<TShellLink> LoadShellLink(const std::wstring& Path) {
    ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link)))) {
        return std::nullopt;
    }
    ComPtr<IPersistFile> file;
    if (FAILED(link.As(&file)) || FAILED(file->Load(Path.c_str(), STGM_READ))) return std::nullopt;

    TShellLink result;
    // The link object answers in buffers of its own choosing: MAX_PATH is the
    // most a link stores for either path.
    wchar_t text[MAX_PATH + 1] = {};
    int number = 0;
    if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &number)) && text[0] != L'\0') {
        result.IconPath = text;
        result.IconNumber = number;
    }
    text[0] = L'\0';
    // The raw path keeps the link's environment references: the link object
    // would expand them with this process's environment, which in a 32-bit
    // process names the "(x86)" program folders.
    if (link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK) result.Target = text;
    return result;
}

}  // namespace

bool IsShellLinkPath(std::wstring_view Path) {
    constexpr std::wstring_view kEnding = L".lnk";
    return Path.size() >= kEnding.size() && EqualsIgnoringAsciiCase(Path.substr(Path.size() - kEnding.size()), kEnding);
}

std::optional<TShellLink> ReadShellLink(const std::wstring& Path) {
    // S_FALSE (already initialised) counts once more and is undone like
    // S_OK; a thread in the other apartment kind keeps its own, which the
    // link object works in as well.
    const HRESULT initialised = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const auto uninitialise = ScopeExit([initialised] {
        if (SUCCEEDED(initialised)) ::CoUninitialize();
    });
    return LoadShellLink(Path);
}

}  // namespace quillon
