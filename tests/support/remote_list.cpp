#include "tests/support/remote_list.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace quillon::test {
namespace {

constexpr SIZE_T kRemoteBytes = 4096;
// Where the text goes in the remote page, after the item record.
constexpr SIZE_T kTextOffset = 256;
constexpr int kTextChars = static_cast<int>((kRemoteBytes - kTextOffset) / sizeof(wchar_t));

std::wstring ClassOf(HWND Wnd) {
    wchar_t name[64]{};
    ::GetClassNameW(Wnd, name, 64);
    return name;
}

}  // namespace

TQuillonControls ControlsOf(HWND Main) {
    TQuillonControls controls;
    ::EnumChildWindows(
        Main,
        [](HWND Child, LPARAM Param) CALLBACK -> BOOL {
            auto& found = *reinterpret_cast<TQuillonControls*>(Param);
            const std::wstring name = ClassOf(Child);
            const LONG_PTR type = ::GetWindowLongPtrW(Child, GWL_STYLE) & BS_TYPEMASK;
            if (name == WC_LISTVIEWW) found.List = Child;
            if (name == WC_BUTTONW && type == BS_AUTOCHECKBOX) found.AllPrograms = Child;
            // The header's tool bar draws its own buttons; the frame's one
            // push button is the switch.
            if (name == WC_BUTTONW && type == BS_OWNERDRAW) found.Switch = Child;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&controls));
    return controls;
}

TRemoteList::TRemoteList(HWND List) : FList(List) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(List, &processId);
    FProcess.reset(::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId));
    if (FProcess) FRemote = ::VirtualAllocEx(FProcess.get(), nullptr, kRemoteBytes, MEM_COMMIT, PAGE_READWRITE);
    if (!FRemote) ADD_FAILURE() << "no memory in the program's process to read its list through";
}

TRemoteList::~TRemoteList() {
    if (FRemote) ::VirtualFreeEx(FProcess.get(), FRemote, 0, MEM_RELEASE);
}

int TRemoteList::Count() const { return static_cast<int>(::SendMessageW(FList, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring TRemoteList::Text(int Row, int Column) const {
    if (!FRemote) return {};
    auto* remoteText = static_cast<wchar_t*>(FRemote) + kTextOffset / sizeof(wchar_t);
    LVITEMW item{};
    item.iSubItem = Column;
    item.pszText = remoteText;
    item.cchTextMax = kTextChars;
    if (!::WriteProcessMemory(FProcess.get(), FRemote, &item, sizeof item, nullptr)) return {};
    const auto length = static_cast<int>(
        ::SendMessageW(FList, LVM_GETITEMTEXTW, static_cast<WPARAM>(Row), reinterpret_cast<LPARAM>(FRemote)));
    std::wstring text(static_cast<std::size_t>(length < 0 ? 0 : length), L'\0');
    if (!text.empty() &&
        !::ReadProcessMemory(FProcess.get(), remoteText, text.data(), text.size() * sizeof(wchar_t), nullptr)) {
        return {};
    }
    return text;
}

int TRemoteList::Image(int Row) const {
    if (!FRemote) return -1;
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = Row;
    if (!::WriteProcessMemory(FProcess.get(), FRemote, &item, sizeof item, nullptr)) return -1;
    if (!::SendMessageW(FList, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(FRemote))) return -1;
    if (!::ReadProcessMemory(FProcess.get(), FRemote, &item, sizeof item, nullptr)) return -1;
    return item.iImage;
}

std::vector<TRow> TRemoteList::Rows() const {
    std::vector<TRow> rows;
    const int count = Count();
    for (int row = 0; row < count; ++row) rows.emplace_back(Text(row, 0), Text(row, 1));
    return rows;
}

int TRemoteList::Find(const std::wstring& Name) const {
    const int count = Count();
    for (int row = 0; row < count; ++row) {
        if (Text(row, 0) == Name) return row;
    }
    return -1;
}

void TRemoteList::Select(int Row) const {
    if (!FRemote) return;
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    if (!::WriteProcessMemory(FProcess.get(), FRemote, &item, sizeof item, nullptr)) return;
    ::SendMessageW(FList, LVM_SETITEMSTATE, static_cast<WPARAM>(Row), reinterpret_cast<LPARAM>(FRemote));
    ::SendMessageW(FList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(Row), FALSE);
}

int TRemoteList::Selected() const {
    return static_cast<int>(::SendMessageW(FList, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void PostClick(HWND Button) { ::PostMessageW(Button, BM_CLICK, 0, 0); }

void PostF5(HWND List) {
    ::PostMessageW(List, WM_KEYDOWN, VK_F5, 0);
    ::PostMessageW(List, WM_KEYUP, VK_F5, 0xC0000001);
}

}  // namespace quillon::test
