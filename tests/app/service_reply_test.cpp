// The main window and the service: the list fills as the window shows, with
// the built-in filter lists; the reply extends them and the list is rebuilt
// with them, or the window closes when the user takes the update; a reply
// that comes too late finds nothing.
#include "platform/utf8.h"
#include "app/main_window.h"
#include "platform/application.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "tests/support/run_values.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/endpoint_stub.h"
#include "tests/support/opened_links.h"
#include "tests/support/window_test.h"

#include <algorithm>
#include <chrono>

namespace quillon {
namespace {

using namespace std::chrono_literals;
using test::PumpFor;
using test::PumpUntil;
using test::TEndpointStub;

// Two Run values of the current user: one that no list hides, one that the
// replies below hide by adding its name to the name white list.
constexpr wchar_t kShown[] = L"ContosoReplyShown";
constexpr wchar_t kHidden[] = L"ContosoReplyHidden";

bool HasRow(TFrmQuillon& Form, const std::wstring& Name) {
    const std::vector<TAutorunItem>& rows = Form.FrmAutorun().Rows();
    return std::any_of(rows.begin(), rows.end(),
                       [&](const TAutorunItem& Row) { return FileNamePart(Row.Target) == Name; });
}

bool Holds(const TFilterList& List, const std::wstring& Line) {
    return std::find(List.Lines().begin(), List.Lines().end(), Line) != List.Lines().end();
}

class ServiceReplyTest : public test::WindowTest {
protected:
    void SetUp() override {
        for (const wchar_t* name : {kShown, kHidden}) FValues.Add(name, L"C:\\windows\\system32\\notepad.exe");
        // The lists as the resources fill them, to compare with.
        LoadFilterList(FBuiltInNameWhite, L"name_white");
    }

    // Pumps until the list has been filled (the row that no list hides is
    // there); false when that did not happen.
    static bool Filled(TFrmQuillon& Form) {
        return PumpUntil([&] { return HasRow(Form, kShown); });
    }

    TEndpointStub FStub;
    TFilterList FBuiltInNameWhite;
    test::TRunValues FValues;
};

TEST_F(ServiceReplyTest, TheListFillsAtOnceAndTheReplysArraysJoinTheListsAndHideWhatTheyName) {
    FStub.Script(
        {{"paths",
          {{"/api.init.php",
            {{{"kind", "delay"},
              {"delay_ms", 1000},
              {"then",
               {{"kind", "reply"},
                {"body", R"({"name_white":["ContosoReplyHidden",5,null,{"a":1},"Contoso Updater"],)"
                         R"("file_white":["contoso.exe*"],"name_black":["QuillonBlack"],"update":""})"}}}}}}}}});
    TFrmQuillon form;
    EXPECT_EQ(ApplicationTitle(), L"Quillon") << "the product name, the dialog's title";
    form.Show(SW_SHOWNOACTIVATE);
    // Filled as it shows, the service not asked to wait for.
    ASSERT_TRUE(HasRow(form, kShown));
    EXPECT_TRUE(HasRow(form, kHidden)) << "no list hides it yet";
    TFrmAutorun& frame = form.FrmAutorun();
    const auto rowOf = [&](const wchar_t* Name) {
        const std::vector<TAutorunItem>& rows = frame.Rows();
        const auto found = std::find_if(rows.begin(), rows.end(),
                                        [&](const TAutorunItem& Row) { return FileNamePart(Row.Target) == Name; });
        return found == rows.end() ? -1 : static_cast<int>(found - rows.begin());
    };
    frame.ListAutorun().SelectRow(rowOf(kShown));

    ASSERT_TRUE(PumpUntil([&] { return !HasRow(form, kHidden); })) << "hidden by the reply's addition";
    EXPECT_TRUE(HasRow(form, kShown));
    EXPECT_EQ(frame.ListAutorun().SelectedRow(), rowOf(kShown)) << "the selection follows its entry";
    EXPECT_TRUE(Holds(form.NameWhite, kHidden));
    EXPECT_TRUE(Holds(form.NameWhite, L"Contoso Updater"));
    EXPECT_EQ(form.NameWhite.Lines().size(), FBuiltInNameWhite.Lines().size() + 2) << "only the strings";
    EXPECT_TRUE(Holds(form.FileWhite, L"contoso.exe*"));
    EXPECT_TRUE(Holds(form.NameBlack, L"QuillonBlack"));
    EXPECT_EQ(FStub.RequestsTo("/api.init.php").size(), 1u);
}

TEST_F(ServiceReplyTest, AMemberThatIsNoArrayOfStringsLeavesOnlyItsOwnListAlone) {
    FStub.Reply(R"({"name_white":"ContosoReplyHidden","file_white":["contoso.exe*"],"name_black":["QuillonBlack"]})");
    TFrmQuillon form;
    ASSERT_TRUE(Filled(form));
    EXPECT_TRUE(HasRow(form, kHidden));
    EXPECT_EQ(form.NameWhite.Lines(), FBuiltInNameWhite.Lines());
    EXPECT_TRUE(Holds(form.FileWhite, L"contoso.exe*"));
    EXPECT_TRUE(Holds(form.NameBlack, L"QuillonBlack"));
}

TEST_F(ServiceReplyTest, AReplyThatIsNoObjectMergesNothingAndTheListStillFills) {
    for (const char* reply : {"", "not json {", R"(["ContosoReplyHidden"])", R"("ContosoReplyHidden")", "42", "null",
                              R"({"name_white":{"0":"ContosoReplyHidden"}})", "<html><body>404</body></html>"}) {
        FStub.Reply(reply);
        TFrmQuillon form;
        ASSERT_TRUE(Filled(form)) << reply;
        EXPECT_TRUE(HasRow(form, kHidden)) << reply;
        EXPECT_EQ(form.NameWhite.Lines(), FBuiltInNameWhite.Lines()) << reply;
    }
}

TEST_F(ServiceReplyTest, TakingTheUpdateClosesTheWindowWithoutFillingTheList) {
    const test::TOpenedLinks links;
    const std::wstring download = TEndpointStub::Url(L"/download");
    FStub.Reply(R"({"update":")" + Utf8FromWide(download) + R"(","name_white":["ContosoReplyHidden"]})");
    const test::TDialogDriver driver({[](HWND Dialog) { test::PressKey(Dialog, VK_RETURN); }});
    TFrmQuillon form;
    form.Show(SW_SHOWNORMAL);
    HWND window = form.Handle();
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(window); }));
    EXPECT_EQ(driver.Shown(), 1);
    EXPECT_FALSE(Holds(form.NameWhite, kHidden)) << "nothing merged";
    EXPECT_TRUE(HasRow(form, kHidden)) << "the list is not rebuilt for a window that closes";
    EXPECT_EQ(links.WaitFor(1), std::vector<std::wstring>{download});
    PumpFor(300ms);  // the quit message the closing window posted
}

TEST_F(ServiceReplyTest, ClosingTheWindowDuringAPauseEndsTheRequests) {
    FStub.Script({{"paths", {{"/api.init.php", {{{"kind", "refuse"}}}}}}});
    TFrmQuillon form;
    ASSERT_TRUE(PumpUntil([&] { return FStub.RequestsTo("/api.init.php").size() == 1; }));
    PumpFor(200ms);
    ::SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    PumpFor(2500ms);
    EXPECT_EQ(FStub.RequestsTo("/api.init.php").size(), 1u) << "no request after the window closed";
    EXPECT_TRUE(form.FrmAutorun().Rows().empty());
}

TEST_F(ServiceReplyTest, AnAnswerThatArrivesAfterTheWindowClosedIsDropped) {
    FStub.Script({{"paths",
                   {{"/api.init.php",
                     {{{"kind", "delay"},
                       {"delay_ms", 1000},
                       {"then", {{"kind", "reply"}, {"body", R"({"name_white":["ContosoReplyHidden"]})"}}}}}}}}});
    TFrmQuillon form;
    ASSERT_TRUE(PumpUntil([&] { return FStub.RequestsTo("/api.init.php").size() == 1; }));
    ::SendMessageW(form.Handle(), WM_CLOSE, 0, 0);
    PumpFor(2500ms);
    EXPECT_TRUE(form.FrmAutorun().Rows().empty());
    EXPECT_FALSE(Holds(form.NameWhite, kHidden));
}

TEST_F(ServiceReplyTest, AReplyThatArrivesAfterTheWindowWasReleasedReachesNothing) {
    const std::wstring download = TEndpointStub::Url(L"/download");
    FStub.Script(
        {{"paths",
          {{"/api.init.php",
            {{{"kind", "delay"},
              {"delay_ms", 1000},
              {"then", {{"kind", "reply"}, {"body", R"({"update":")" + Utf8FromWide(download) + "\"}"}}}}}}}}});
    const test::TDialogDriver driver({[](HWND Dialog) { test::PressKey(Dialog, VK_ESCAPE); }});
    {
        TFrmQuillon form;
        ASSERT_TRUE(PumpUntil([&] { return FStub.RequestsTo("/api.init.php").size() == 1; }));
    }  // the window, its frame and its lists go
    PumpFor(2500ms);
    EXPECT_EQ(driver.Shown(), 0);
    EXPECT_EQ(FStub.RequestsTo("/api.init.php").size(), 1u);
}

}  // namespace
}  // namespace quillon
