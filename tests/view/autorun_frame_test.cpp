// The list frame over the real inventory of the Wine prefix: refresh,
// switching a service off and on with the button, F5 and "all programs".
#include "app/main_window.h"
#include "i18n/translation.h"
#include "platform/registry.h"
#include "autorun/approved_state.h"
#include "platform/unique_handle.h"
#include "tests/support/endpoint_stub.h"
#include "tests/support/run_values.h"
#include "tests/support/window_test.h"
#include "view/list_images.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace quillon {
namespace {

using test::WindowText;

class AutorunFrameTest : public test::WindowTest {
protected:
    void SetUp() override {
        FManager.reset(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        ASSERT_TRUE(FManager);
        FService.reset(::CreateServiceW(FManager.get(), FName.c_str(), L"Frame test service", SERVICE_ALL_ACCESS,
                                        SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_IGNORE,
                                        L"C:\\quillon\\frame-test.exe", nullptr, nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(FService) << ::GetLastError();
    }
    void TearDown() override {
        if (FService) ::DeleteService(FService.get());
    }

    DWORD StartType() const {
        std::vector<QUERY_SERVICE_CONFIGW> config(8192 / sizeof(QUERY_SERVICE_CONFIGW));
        DWORD needed = 0;
        ::QueryServiceConfigW(FService.get(), config.data(), 8192, &needed);
        return config[0].dwStartType;
    }

    // The index of this test's service row, or -1.
    int RowOfService(TFrmAutorun& Frame) const {
        const auto& rows = Frame.Rows();
        const auto found = std::find_if(
            rows.begin(), rows.end(), [this](const TAutorunItem& r) { return r.From == L"SERV" && r.Target == FName; });
        return found == rows.end() ? -1 : static_cast<int>(found - rows.begin());
    }

    // Each window asks the service at start: the stub answers with nothing.
    const test::TEndpointStub FStub;
    const std::wstring FName = L"FrameTestSvc" + std::to_wstring(::GetCurrentProcessId());
    UniqueServiceHandle FManager;
    UniqueServiceHandle FService;
};

TEST_F(AutorunFrameTest, ShowsTheEntriesWorthCleaningWithoutTheWhiteListedOnes) {
    TFrmQuillon form;
    TFrmAutorun& frame = form.FrmAutorun();
    EXPECT_TRUE(frame.Rows().empty()) << "no rows before the first refresh";
    frame.LoadAutorun();

    const int row = RowOfService(frame);
    ASSERT_GE(row, 0);
    const TAutorunItem& item = frame.Rows()[static_cast<size_t>(row)];
    EXPECT_EQ(item.FileName, L"Frame test service");
    EXPECT_EQ(item.Icon, kImageGears);
    EXPECT_TRUE(item.Enabled);
    EXPECT_EQ(ListView_GetItemCount(frame.ListAutorun().Handle()), static_cast<int>(frame.Rows().size()));
    // RpcSs is a Windows service on the name white list (and any name
    // beginning with "Quillon" is ours, hence the test service's name).
    EXPECT_TRUE(std::none_of(frame.Rows().begin(), frame.Rows().end(),
                             [](const TAutorunItem& r) { return r.Target == L"RpcSs"; }));
    EXPECT_FALSE(frame.AutorunList.empty());
}

TEST_F(AutorunFrameTest, TheButtonSwitchesTheSelectedServiceInPlace) {
    TFrmQuillon form;
    TFrmAutorun& frame = form.FrmAutorun();
    frame.LoadAutorun();
    const int row = RowOfService(frame);
    ASSERT_GE(row, 0);
    const size_t rows = frame.Rows().size();

    ListView_SetItemState(frame.ListAutorun().Handle(), row, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_EQ(WindowText(frame.BtnAutorun().Handle()), Translate(L"사용안함"));
    ::SendMessageW(frame.BtnAutorun().Handle(), BM_CLICK, 0, 0);

    EXPECT_EQ(StartType(), static_cast<DWORD>(SERVICE_DISABLED));
    ASSERT_EQ(frame.Rows().size(), rows) << "the switched row stays, now grey";
    EXPECT_EQ(RowOfService(frame), row);
    EXPECT_FALSE(frame.Rows()[static_cast<size_t>(row)].Enabled);
    EXPECT_EQ(WindowText(frame.BtnAutorun().Handle()), Translate(L"사용함"));
    EXPECT_TRUE(frame.BtnAutorun().Down());
    EXPECT_TRUE(::IsWindowEnabled(frame.BtnAutorun().Handle()));

    // F5 rebuilds from empty: a disabled entry has no row unless all are shown.
    ::SendMessageW(frame.ListAutorun().Handle(), WM_KEYDOWN, VK_F5, 0);
    EXPECT_EQ(RowOfService(frame), -1);
    ::SendMessageW(frame.ChkAllList().Handle(), BM_CLICK, 0, 0);
    const int shown = RowOfService(frame);
    ASSERT_GE(shown, 0);
    EXPECT_FALSE(frame.Rows()[static_cast<size_t>(shown)].Enabled);

    // And back on.
    ListView_SetItemState(frame.ListAutorun().Handle(), shown, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    ::SendMessageW(frame.BtnAutorun().Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(StartType(), static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_TRUE(frame.Rows()[static_cast<size_t>(shown)].Enabled);
}

TEST_F(AutorunFrameTest, WithoutASelectionTheButtonIsOff) {
    TFrmQuillon form;
    TFrmAutorun& frame = form.FrmAutorun();
    frame.LoadAutorun();
    EXPECT_FALSE(::IsWindowEnabled(frame.BtnAutorun().Handle()));
    const int row = RowOfService(frame);
    ASSERT_GE(row, 0);
    ListView_SetItemState(frame.ListAutorun().Handle(), row, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    EXPECT_TRUE(::IsWindowEnabled(frame.BtnAutorun().Handle()));

    // F5 rebuilds from empty, and the selection goes with the old rows.
    ::SendMessageW(frame.ListAutorun().Handle(), WM_KEYDOWN, VK_F5, 0);
    EXPECT_EQ(frame.ListAutorun().SelectedRow(), -1);
    EXPECT_FALSE(::IsWindowEnabled(frame.BtnAutorun().Handle()));
    EXPECT_EQ(StartType(), static_cast<DWORD>(SERVICE_AUTO_START));
}

// F5 keeps the list's row count until the new rows are in; the view must
// still start again at the top and end with exactly the new rows.
TEST_F(AutorunFrameTest, F5StartsAtTheTopWithOnlyTheNewRows) {
    test::TRunValues values;
    for (int i = 0; i < 60; ++i) {
        values.Add(L"QlnScroll" + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(i),
                   L"C:\\quillon\\scroll.exe");
    }
    TFrmQuillon form;
    TFrmAutorun& frame = form.FrmAutorun();
    const HWND list = frame.ListAutorun().Handle();
    frame.LoadAutorun();
    const int before = ListView_GetItemCount(list);
    ASSERT_GE(before, 60);
    ListView_EnsureVisible(list, before - 1, FALSE);
    ASSERT_GT(ListView_GetTopIndex(list), 0) << "the list can be scrolled";

    for (int i = 0; i < 30; ++i) TReg::DeleteValue(HKEY_CURRENT_USER, values.kKey, values.Names()[i]);
    ::SendMessageW(list, WM_KEYDOWN, VK_F5, 0);
    EXPECT_EQ(ListView_GetTopIndex(list), 0);
    EXPECT_EQ(ListView_GetItemCount(list), before - 30);
    EXPECT_EQ(ListView_GetItemCount(list), static_cast<int>(frame.Rows().size()));
}

// Three Run values of the user, made for one test and removed however it ends.
class AutorunSelectionTest : public AutorunFrameTest {
protected:
    void SetUp() override {
        AutorunFrameTest::SetUp();
        for (const wchar_t* letter : {L"A", L"B", L"C"}) {
            FValues.Add(L"QlnSelect" + std::to_wstring(::GetCurrentProcessId()) + letter, L"C:\\quillon\\select.exe");
        }
    }

    std::wstring Target(int Index) const { return L"HKCU\\" + kRunKey + L"\\" + FNames[Index]; }
    int RowOf(TFrmAutorun& Frame, int Index) const {
        const auto& rows = Frame.Rows();
        const auto found =
            std::find_if(rows.begin(), rows.end(), [&](const TAutorunItem& R) { return R.Target == Target(Index); });
        return found == rows.end() ? -1 : static_cast<int>(found - rows.begin());
    }
    void Select(TFrmAutorun& Frame, int Row) const {
        ListView_SetItemState(Frame.ListAutorun().Handle(), Row, LVIS_SELECTED | LVIS_FOCUSED,
                              LVIS_SELECTED | LVIS_FOCUSED);
    }
    // Switched off the way the prefix's Windows does it: a state value from
    // Windows 10 on, the Run value deleted before.
    bool SwitchedOff(int Index) const {
        const bool stateWritten = !TReg::ReadBinary(HKEY_CURRENT_USER, kApprovedRunKey, FNames[Index]).empty();
        std::vector<std::wstring> names;
        TReg::ReadValueNames(HKEY_CURRENT_USER, kRunKey, names);
        const bool deleted = std::find(names.begin(), names.end(), FNames[Index]) == names.end();
        return stateWritten || deleted;
    }

    const std::wstring kRunKey = test::TRunValues::kKey;
    test::TRunValues FValues;
    const std::vector<std::wstring>& FNames = FValues.Names();
};

// The list keeps its selection by position; a refresh that removes a row
// above the selected one must not hand the selection to the next entry.
TEST_F(AutorunSelectionTest, TheSelectionStaysWithItsEntryWhenARowAboveGoes) {
    TFrmQuillon form;
    TFrmAutorun& frame = form.FrmAutorun();
    frame.LoadAutorun();
    ASSERT_LT(RowOf(frame, 0), RowOf(frame, 1)) << "A is listed above B";
    Select(frame, RowOf(frame, 1));

    TReg::DeleteValue(HKEY_CURRENT_USER, kRunKey, FNames[0]);
    frame.LoadAutorun();
    ASSERT_EQ(RowOf(frame, 0), -1);
    EXPECT_EQ(frame.ListAutorun().SelectedRow(), RowOf(frame, 1)) << "B is still the one selected";
    EXPECT_TRUE(::IsWindowEnabled(frame.BtnAutorun().Handle()));

    ::SendMessageW(frame.BtnAutorun().Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(SwitchedOff(1));
    EXPECT_FALSE(SwitchedOff(2)) << "the entry below was switched instead";
}

// Switching an entry that vanished since the last refresh switches nothing
// else, however often the button is pressed.
TEST_F(AutorunSelectionTest, SwitchingAVanishedEntryChangesNoOtherEntry) {
    TFrmQuillon form;
    TFrmAutorun& frame = form.FrmAutorun();
    frame.LoadAutorun();
    Select(frame, RowOf(frame, 0));
    TReg::DeleteValue(HKEY_CURRENT_USER, kRunKey, FNames[0]);

    for (int press = 0; press < 2; ++press) ::SendMessageW(frame.BtnAutorun().Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(RowOf(frame, 0), -1);
    EXPECT_EQ(frame.ListAutorun().SelectedRow(), -1);
    EXPECT_FALSE(::IsWindowEnabled(frame.BtnAutorun().Handle()));
    EXPECT_FALSE(SwitchedOff(1));
    EXPECT_FALSE(SwitchedOff(2));
    EXPECT_EQ(StartType(), static_cast<DWORD>(SERVICE_AUTO_START)) << "a service was switched";
}

}  // namespace
}  // namespace quillon
