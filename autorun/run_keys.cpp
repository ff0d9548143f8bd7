#include "autorun/run_keys.h"

#include "autorun/approved_state.h"
#include "platform/command_line.h"
#include "platform/registry.h"
#include "platform/text.h"

#include <array>

namespace quillon {
namespace {

constexpr wchar_t kRunKey[] = L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRun32Key[] = L"\\Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";

struct TRunKey {
    HKEY Root;
    const wchar_t* Key;
};

// In the order they are listed. A function-local table, as the root
// handles are no constants.
const std::array<TRunKey, 3>& RunKeys() {
    static const std::array<TRunKey, 3> kKeys = {
        {{HKEY_LOCAL_MACHINE, kRunKey}, {HKEY_LOCAL_MACHINE, kRun32Key}, {HKEY_CURRENT_USER, kRunKey}}};
    return kKeys;
}

}  // namespace

std::optional<TRunValue> ParseRunValueTarget(std::wstring_view Target) {
    const std::size_t rootEnd = Target.find(L'\\');
    if (rootEnd == std::wstring_view::npos) return std::nullopt;
    const HKEY root = TextToRootKey(Target.substr(0, rootEnd));
    const std::wstring_view rest = Target.substr(rootEnd);  // from the "\" on
    for (const TRunKey& runKey : RunKeys()) {
        const std::wstring_view key = runKey.Key;
        if (runKey.Root != root || rest.size() <= key.size() || rest[key.size()] != L'\\') continue;
        if (!EqualsIgnoringAsciiCase(rest.substr(0, key.size()), key)) continue;
        return TRunValue{root, std::wstring(key), std::wstring(rest.substr(key.size() + 1))};
    }
    return std::nullopt;
}

void CollectRunKey(HKEY RootKey, const std::wstring& Key, TAutorunList& List) {
    // The key's names and texts are read in one pass, and its state key is
    // opened once for all of them.
    std::vector<std::pair<std::wstring, std::wstring>> values = TRegReader(RootKey, Key).StringValues();
    if (values.empty()) return;
    const TApprovedStates approved(RootKey, ApprovedKeyForRunKey(Key));
    const std::wstring root = RootKeyToText(RootKey, true);
    for (auto& [name, text] : values) {
        TAutorunInfo entry;
        entry.RawData = std::move(text);
        entry.FileName = ResolveCommandLine(entry.RawData);
        entry.Caption = name;
        entry.Target = root + Key + L"\\" + name;
        entry.From = root;
        entry.Kind = TAutorunKind::RunValue;
        entry.Enabled = approved.IsOn(name);
        List.push_back(std::move(entry));
    }
}

void CollectRunKeys(TAutorunList& List) {
    for (const TRunKey& runKey : RunKeys()) CollectRunKey(runKey.Root, runKey.Key, List);
}

}  // namespace quillon
