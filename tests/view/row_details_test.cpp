// Rows name themselves by their file's product name, and show its icon,
// when they are first shown: each file read once per refresh, and a row's
// first paint already carries its final text.
#include "view/row_details.h"

#include "app/main_window.h"
#include "platform/registry.h"
#include "tests/platform/fixtures/fixture_files.h"
#include "tests/support/run_values.h"
#include "tests/support/window_test.h"
#include "view/list_images.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace quillon {
namespace {

TAutorunItem PendingRow(const std::wstring& Caption, const std::wstring& File) {
    TAutorunItem row;
    row.FileName = Caption;
    row.Icon = kImageRegistry;
    row.PendingFile = File;
    return row;
}

TEST(RowDetails, EachFileIsReadOncePerRefreshNamedOrNot) {
    std::map<std::wstring, int> reads;
    TRowDetails details([&reads](const std::wstring& File, TRowImages&) {
        ++reads[File];
        return File == L"C:\\named.exe" ? TFileDetails{L"Named Product", 9} : TFileDetails{L"", kImageBlank};
    });
    TRowImages images(96);
    details.BeginRefresh();
    TAutorunItem rows[] = {PendingRow(L"one", L"C:\\named.exe"), PendingRow(L"two", L"C:\\named.exe"),
                           PendingRow(L"three", L"C:\\bare.lnk"), PendingRow(L"four", L"C:\\bare.lnk")};
    for (TAutorunItem& row : rows) details.Complete(row, images);
    for (TAutorunItem& row : rows) details.Complete(row, images);  // once complete, a row stays so
    EXPECT_EQ(reads, (std::map<std::wstring, int>{{L"C:\\named.exe", 1}, {L"C:\\bare.lnk", 1}}));
    EXPECT_EQ(rows[1].FileName, L"Named Product");
    EXPECT_EQ(rows[1].Icon, 9);
    EXPECT_EQ(rows[3].FileName, L"four") << "no product name: the caption stays";
    EXPECT_EQ(rows[3].Icon, kImageBlank);

    details.BeginRefresh();
    TAutorunItem later = PendingRow(L"five", L"C:\\bare.lnk");
    details.Complete(later, images);
    EXPECT_EQ(reads[L"C:\\bare.lnk"], 2) << "a new refresh reads the file anew";
}

class RowDetailsFrameTest : public test::WindowTest {
protected:
    void SetUp() override {
        for (int i = 0; i < 40; ++i) {
            FValues.Add(L"QlnLazy" + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(i),
                        L"\"" + FFile + L"\" /tray");
        }
    }

    test::TScratchFolder FFolder;
    const std::wstring FFile = FFolder.CopyOfFixture(L"lazy.exe");
    test::TRunValues FValues;
};

TEST_F(RowDetailsFrameTest, TheRowsOnScreenAreNamedBeforeTheyArePaintedAndNoOthers) {
    TFrmQuillon form;
    form.Show(SW_SHOWNOACTIVATE);
    TFrmAutorun& frame = form.FrmAutorun();
    // Rows made anew, not painted yet.
    frame.ReloadKeepingSelection();
    std::vector<int> mine;
    for (int row = 0; row < static_cast<int>(frame.Rows().size()); ++row) {
        if (frame.Rows()[row].Target.find(L"QlnLazy") != std::wstring::npos) mine.push_back(row);
    }
    ASSERT_EQ(mine.size(), 40u);
    for (int row : mine) ASSERT_EQ(frame.Rows()[row].PendingFile, FFile) << "read before it was shown";

    frame.ListAutorun().ScrollIntoView(mine.front());
    ::UpdateWindow(frame.ListAutorun().Handle());
    const int top = ListView_GetTopIndex(frame.ListAutorun().Handle());
    const int shown = ListView_GetCountPerPage(frame.ListAutorun().Handle());
    int named = 0;
    for (int row : mine) {
        const TAutorunItem& item = frame.Rows()[row];
        if (row >= top && row < top + shown) {
            // The paint asked for the text after the details were read.
            EXPECT_EQ(item.FileName, L"Quillon Fixture");
            EXPECT_GE(item.Icon, kFixedImageCount);
            ++named;
        } else if (row > top + shown) {
            EXPECT_FALSE(item.PendingFile.empty()) << "row " << row << " was read though never shown";
        }
    }
    EXPECT_GT(named, 0);
    EXPECT_EQ(frame.IconCache().size(), 1u) << "one file, one icon";
}

// A program cut short (a download that stopped) makes the system's readers
// fault inside the list's paint, which Wine swallows: every row then stayed
// unread and the list blank.
TEST_F(RowDetailsFrameTest, AProgramCutShortLeavesTheOtherRowsNamed) {
    const std::wstring cut = FFolder.File(L"cut.exe");
    test::WriteBytes(cut, test::ReadBytes(FFile).substr(0, 1024));
    const std::wstring pid = std::to_wstring(::GetCurrentProcessId());
    FValues.Add(L"QlnCut" + pid, L"\"" + cut + L"\" /tray");

    TFrmQuillon form;
    form.Show(SW_SHOWNOACTIVATE);
    TFrmAutorun& frame = form.FrmAutorun();
    frame.LoadAutorun();
    int cutRow = -1;
    std::vector<int> whole;
    for (int row = 0; row < static_cast<int>(frame.Rows().size()); ++row) {
        const std::wstring& target = frame.Rows()[row].Target;
        if (target.find(L"QlnCut") != std::wstring::npos) cutRow = row;
        if (target.find(L"QlnLazy") != std::wstring::npos) whole.push_back(row);
    }
    ASSERT_GE(cutRow, 0);
    ASSERT_FALSE(whole.empty());
    for (int row : {cutRow, whole.front()}) {
        frame.ListAutorun().ScrollIntoView(row);
        ::UpdateWindow(frame.ListAutorun().Handle());
    }

    const TAutorunItem& cutItem = frame.Rows()[cutRow];
    EXPECT_TRUE(cutItem.PendingFile.empty()) << "never completed";
    EXPECT_EQ(cutItem.Icon, kImageBlank);
    EXPECT_NE(cutItem.FileName, L"Quillon Fixture");
    const TAutorunItem& wholeItem = frame.Rows()[whole.front()];
    EXPECT_TRUE(wholeItem.PendingFile.empty());
    EXPECT_EQ(wholeItem.FileName, L"Quillon Fixture");
    EXPECT_GE(wholeItem.Icon, kFixedImageCount);
}

}  // namespace
}  // namespace quillon
