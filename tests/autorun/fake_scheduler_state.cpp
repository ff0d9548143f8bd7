#include "tests/autorun/fake_scheduler_state.h"

#include "platform/unique_handle.h"

#include <utility>

namespace quillon::test {
namespace {

// Plain registry calls rather than the program's own: the server DLL links
// none of the program's code.
UniqueHKey OpenStateKey() {
    UniqueHKey key;
    ::RegOpenKeyExW(HKEY_CURRENT_USER, kFakeSchedulerKey, 0, KEY_READ | KEY_WOW64_64KEY, key.put());
    return key;
}

UniqueHKey CreateStateKey() {
    UniqueHKey key;
    ::RegCreateKeyExW(HKEY_CURRENT_USER, kFakeSchedulerKey, 0, nullptr, 0, KEY_READ | KEY_WRITE | KEY_WOW64_64KEY,
                      nullptr, key.put(), nullptr);
    return key;
}

std::vector<std::wstring> ReadLines(const wchar_t* Name) {
    const UniqueHKey key = OpenStateKey();
    DWORD bytes = 0;
    if (!key ||
        ::RegGetValueW(key.get(), nullptr, Name, RRF_RT_REG_MULTI_SZ, nullptr, nullptr, &bytes) != ERROR_SUCCESS) {
        return {};
    }
    std::wstring text(bytes / sizeof(wchar_t), L'\0');
    if (::RegGetValueW(key.get(), nullptr, Name, RRF_RT_REG_MULTI_SZ, nullptr, text.data(), &bytes) != ERROR_SUCCESS) {
        return {};
    }
    text.resize(bytes / sizeof(wchar_t));
    // Lines end in a NUL each, the list in one more.
    std::vector<std::wstring> lines;
    for (std::size_t start = 0; start < text.size() && text[start] != L'\0';) {
        const std::size_t end = text.find(L'\0', start);
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

void WriteLines(const wchar_t* Name, const std::vector<std::wstring>& Lines) {
    std::wstring text;
    for (const std::wstring& line : Lines) text += line + L'\0';
    text += L'\0';
    const UniqueHKey key = CreateStateKey();
    if (!key) return;
    ::RegSetValueExW(key.get(), Name, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(text.data()),
                     static_cast<DWORD>(text.size() * sizeof(wchar_t)));
}

std::optional<bool> ParseFlag(std::wstring_view Text) {
    if (Text == L"0") return false;
    if (Text == L"1") return true;
    return std::nullopt;
}

}  // namespace

std::wstring FakeTaskLine(const TFakeTask& Task) {
    return Task.Name + (Task.Enabled ? L"|1" : L"|0") + (Task.Hidden ? L"|1" : L"|0");
}

std::optional<TFakeTask> ParseFakeTaskLine(std::wstring_view Line) {
    const std::size_t first = Line.find(L'|');
    const std::size_t second = Line.find(L'|', first == Line.npos ? first : first + 1);
    if (first == 0 || second == Line.npos) return std::nullopt;
    const std::optional<bool> enabled = ParseFlag(Line.substr(first + 1, second - first - 1));
    const std::optional<bool> hidden = ParseFlag(Line.substr(second + 1));
    if (!enabled || !hidden) return std::nullopt;
    return TFakeTask{std::wstring(Line.substr(0, first)), *enabled, *hidden};
}

std::vector<TFakeTask> ReadFakeTasks() {
    std::vector<TFakeTask> tasks;
    for (const std::wstring& line : ReadLines(L"Tasks")) {
        if (std::optional<TFakeTask> task = ParseFakeTaskLine(line)) tasks.push_back(std::move(*task));
    }
    return tasks;
}

void WriteFakeTasks(const std::vector<TFakeTask>& Tasks) {
    std::vector<std::wstring> lines;
    for (const TFakeTask& task : Tasks) lines.push_back(FakeTaskLine(task));
    WriteLines(L"Tasks", lines);
}

HRESULT ReadFakeConnectResult() {
    const UniqueHKey key = OpenStateKey();
    DWORD result = 0;
    DWORD bytes = sizeof(result);
    if (!key || ::RegGetValueW(key.get(), nullptr, L"ConnectResult", RRF_RT_REG_DWORD, nullptr, &result, &bytes) !=
                    ERROR_SUCCESS) {
        return S_OK;
    }
    return static_cast<HRESULT>(result);
}

void WriteFakeConnectResult(HRESULT Result) {
    const UniqueHKey key = CreateStateKey();
    const auto value = static_cast<DWORD>(Result);
    if (key) ::RegSetValueExW(key.get(), L"ConnectResult", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), 4);
}

std::vector<std::wstring> ReadFakeCalls() { return ReadLines(L"Calls"); }

void AppendFakeCall(const std::wstring& Call) {
    std::vector<std::wstring> calls = ReadLines(L"Calls");
    calls.push_back(Call);
    WriteLines(L"Calls", calls);
}

void DeleteFakeSchedulerState() {
    UniqueHKey key;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kFakeSchedulerKey, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, key.put()) !=
        ERROR_SUCCESS) {
        return;
    }
    ::RegDeleteTreeW(key.get(), nullptr);
    key.reset();
    ::RegDeleteKeyExW(HKEY_CURRENT_USER, kFakeSchedulerKey, KEY_WOW64_64KEY, 0);
}

}  // namespace quillon::test
