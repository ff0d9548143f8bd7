#include "autorun/run_keys.h"

#include "autorun/approved_state.h"
#include "platform/command_line.h"
#include "platform/registry.h"

namespace quillon {
namespace {

constexpr wchar_t kRunKey[] = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRun32Key[] = L"\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace

void CollectRunKey(HKEY RootKey, const std::wstring& Key, TAutorunList& List) {
    // The key's names and texts are read in one pass, and its state key is
    // opened once for all of them.
    std::vector<std::pair<std::wstring, std::wstring>> values = TRegReader(RootKey, Key).StringValues();
    if (values.empty()) return;
    const TRegReader approved(RootKey, ApprovedKeyForRunKey(Key));
    const std::wstring root = RootKeyToText(RootKey, true);
    for (auto& [name, text] : values) {
        TAutorunInfo entry;
        entry.RawData = std::move(text);
        entry.FileName = ResolveCommandLine(entry.RawData);
        entry.Caption = name;
        entry.Target = root + Key + L"\\" + name;
        entry.From = root;
        entry.Kind = TAutorunKind::RunValue;
        entry.Enabled = IsApprovedStateOn(approved.ReadBinary(name));
        List.push_back(std::move(entry));
    }
}

void CollectRunKeys(TAutorunList& List) {
    CollectRunKey(HKEY_LOCAL_MACHINE, kRunKey, List);
    CollectRunKey(HKEY_LOCAL_MACHINE, kRun32Key, List);
    CollectRunKey(HKEY_CURRENT_USER, kRunKey, List);
}

}  // namespace quillon
