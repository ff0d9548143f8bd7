#include "view/export.h"

#include "i18n/translation.h"
#include "platform/files.h"
#include "platform/module_function.h"
#include "platform/utf8.h"

#include <commdlg.h>

#include <algorithm>

namespace quillon {

std::string FormatAutorunList(const TAutorunList& List) {
    std::wstring text;
    for (const TAutorunInfo& entry : List) {
        text.append(entry.From).append(L"|").append(entry.Caption).append(L"|").append(entry.Target).append(L"\r\n");
    }
    return std::string(kUtf8ByteOrderMark) + Utf8FromWide(text);
}

void SaveAutorunList(const std::wstring& Path, const TAutorunList& List) {
    WriteFileReplacing(Path, FormatAutorunList(List));
}

std::optional<std::wstring> AskExportFileName(HWND Owner) {
    const std::wstring title = Translate(L"파일 저장");
    // Two choices, each a name and a pattern, all separated by zeros.
    std::wstring filter = Translate(L"텍스트 파일") + L" (*.txt)|*.txt|" + Translate(L"모든 파일") + L" (*.*)|*.*|";
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    std::wstring file(32768, L'\0');

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = Owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = L"txt";
    dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_PATHMUSTEXIST;
    // The dialog's library is loaded the first time it is asked for: at
    // start it would only lengthen the wait for the list.
    static const HMODULE kLibrary = LoadSystemLibrary(L"comdlg32.dll");
    decltype(&::GetSaveFileNameW) getSaveFileName = nullptr;
    if (!kLibrary || !FindFunction(kLibrary, "GetSaveFileNameW", getSaveFileName)) return std::nullopt;
    if (!getSaveFileName(&dialog)) return std::nullopt;
    file.resize(file.find(L'\0'));
    return file;
}

}  // namespace quillon
