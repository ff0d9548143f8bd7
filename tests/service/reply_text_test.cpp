// What the reply step reads out of the reply, which links it lets the shell
// open, the dialog's texts, and where the notice row goes.
#include "service/notice.h"
#include "service/update_text.h"
#include "service/web_link.h"

#include <gtest/gtest.h>

namespace quillon {
namespace {

TEST(UpdateText, EveryLanguageHasItsTextsAndTheRestGetEnglish) {
    struct TCase {
        const wchar_t* Language;
        const wchar_t* FirstParagraph;
        const wchar_t* Yes;
        const wchar_t* No;
    };
    const TCase cases[] = {
        {L"ko", L"업데이트가 정보가 있습니다.", L"예", L"아니오"},
        {L"ja", L"このプログラムがアップデートされました。", L"はい", L"いいえ"},
        {L"zh", L"该程序已更新。", L"是", L"否"},
        {L"de", L"Dieses Programm ist aktualisiert worden.", L"Ja", L"Nein"},
        {L"ru", L"Данная программа была обновлена.", L"Да", L"Нет"},
        {L"it", L"È disponibile una nuova versione del programma.", L"Sì", L"No"},
        {L"fr", L"Ce programme a été mis à jour.", L"Oui", L"Non"},
        {L"en", L"This program has been updated.", L"Yes", L"No"},
        {L"ar", L"This program has been updated.", L"Yes", L"No"},
        {L"pt", L"This program has been updated.", L"Yes", L"No"},
        {L"KO", L"This program has been updated.", L"Yes", L"No"},
        {L"", L"This program has been updated.", L"Yes", L"No"},
    };
    for (const TCase& c : cases) {
        const std::wstring message = UpdateText(kUpdateMessage, c.Language);
        EXPECT_EQ(message.substr(0, message.find(L'\r')), c.FirstParagraph) << ::testing::PrintToString(c.Language);
        EXPECT_EQ(UpdateText(kUpdateYes, c.Language), c.Yes);
        EXPECT_EQ(UpdateText(kUpdateNo, c.Language), c.No);
        EXPECT_EQ(UpdateText(3, c.Language), L"");
        EXPECT_EQ(UpdateText(-1, c.Language), L"");
    }
    EXPECT_EQ(UpdateText(kUpdateMessage, L"en"),
              L"This program has been updated.\r\rIt is recommended to download and execute new for stable use."
              L"\r\rDo you want to download it?");
    EXPECT_NE(UpdateText(kUpdateMessage, L"ja").find(L"ダウンロード\u00B7実行"), std::wstring::npos);
    EXPECT_EQ(UpdateText(kUpdateMessage, L"zh").back(), L'\uFF1F');
    EXPECT_EQ(UpdateText(kUpdateMessage, L"fr").find(L'\n'), std::wstring::npos) << "carriage returns only";
}

TEST(IsWebAddress, OnlyAbsoluteHttpAndHttpsAddresses) {
    for (const wchar_t* text : {L"https://quillon.app/download", L"http://127.0.0.1:8378/a?b=c#d", L"HTTPS://Q.APP",
                                L"http://user@host/", L"https://例え.jp/パス", L"https://q.app/%20x"}) {
        EXPECT_TRUE(IsWebAddress(text)) << ::testing::PrintToString(text);
    }
    for (const wchar_t* text : {L"",
                                L"cmd.exe",
                                L"cmd.exe /c calc",
                                L"C:\\Windows\\System32\\calc.exe",
                                L"\\\\server\\share\\setup.exe",
                                L"//server/share",
                                L"file:///C:/Windows/notepad.exe",
                                L"ftp://host/x",
                                L"javascript:alert(1)",
                                L"mailto:a@b.c",
                                L"shell:startup",
                                L"ms-settings:",
                                L"quillon-probe:x",
                                L"http:/host",
                                L"http:host",
                                L"http://",
                                L"https:///path",
                                L"http://:80/",
                                L"http://user@/",
                                L" https://q.app",
                                L"https://q.app ",
                                L"https://q.app/a b",
                                L"https://q.app/\" --flag \"x",
                                L"https://q.app\\..\\x",
                                L"https://q.app/\r\nx",
                                L"https://q.app/<x>",
                                L"https://q.app/a|b"}) {
        EXPECT_FALSE(IsWebAddress(text)) << ::testing::PrintToString(text);
    }
    using namespace std::string_view_literals;
    EXPECT_FALSE(IsWebAddress(L"https://q.app/\0x"sv)) << "a NUL would cut the address short";
}

TEST(ReadUpdateLink, TheOfferIsAWebAddressThatDecodes) {
    struct TCase {
        const wchar_t* Reply;
        const wchar_t* Link;
    };
    const TCase cases[] = {
        {LR"({"update":"https:\/\/q.app\/d"})", L"https://q.app/d"},
        {LR"({"UPDATE":"https://q.app/d"})", L"https://q.app/d"},
        {LR"({"update":""})", L""},
        {LR"({"update": "https://q.app/d"})", L""},
        {LR"({"update":"cmd.exe"})", L""},
        {LR"({"update":"\\\\server\\share\\setup.exe"})", L""},
        {LR"({"update":"https://q.app/\u00zz"})", L""},
        {LR"(<html>404</html>)", L""},
        {L"", L""},
    };
    for (const TCase& c : cases) EXPECT_EQ(ReadUpdateLink(c.Reply), c.Link) << ::testing::PrintToString(c.Reply);
}

TEST(ReadNotice, ReadsTheFourFieldsOfInfo) {
    const TNotice notice = ReadNotice(
        LR"({"update":"https://q.app","info":{"style":"note","text":"Read \"this\"","flag":"x stayontop",)"
        LR"("url":"https:\/\/q.app\/note"}})");
    EXPECT_EQ(notice.Style, L"note");
    EXPECT_EQ(notice.Text, L"Read \"this\"");
    EXPECT_TRUE(notice.StaysOnTop());
    EXPECT_EQ(notice.Url, L"https://q.app/note");

    // Fields outside "info" are not its fields; a field that does not decode
    // counts as missing.
    const TNotice outside = ReadNotice(LR"({"style":"hold","info":{"text":"\u12","flag":"StayOnTop"}})");
    EXPECT_EQ(outside.Style, L"");
    EXPECT_EQ(outside.Text, L"\u0012") << "two digits at the end of the value";
    EXPECT_FALSE(outside.StaysOnTop()) << "compared with case";
    EXPECT_EQ(ReadNotice(LR"({"info":{"text":"\uXY12"}})").Text, L"");
}

TEST(NoticeRowLayout, GrowsTheDialogAndPlacesTheRowFromItsLowerEdge) {
    // With the offset 10: 30 pixels more, the line 66 and the control 56
    // pixels above the window's lower edge, 10 from the left, all at 96 DPI.
    const TNoticeRow at96 = NoticeRowLayout(200, 10, 96);
    EXPECT_EQ(at96.WindowHeight, 230);
    EXPECT_EQ(at96.SeparatorTop, 230 - 66);
    EXPECT_EQ(at96.ControlTop, 230 - 56);
    EXPECT_EQ(at96.ControlLeft, 10);
    // At 150 % and 125 %, by whole percent, rounded.
    const TNoticeRow at144 = NoticeRowLayout(300, 10, 144);
    EXPECT_EQ(at144.WindowHeight, 345);
    EXPECT_EQ(at144.SeparatorTop, 345 - 99);
    EXPECT_EQ(at144.ControlTop, 345 - 84);
    EXPECT_EQ(at144.ControlLeft, 15);
    const TNoticeRow at120 = NoticeRowLayout(250, 10, 120);
    EXPECT_EQ(at120.WindowHeight, 250 + 38);  // 30 * 1.25 = 37.5, rounded
    EXPECT_EQ(at120.ControlTop, 288 - 70);
    EXPECT_EQ(at120.ControlLeft, 13);  // 12.5, rounded
    // Another offset moves the row by its difference.
    const TNoticeRow offset0 = NoticeRowLayout(200, 0, 96);
    EXPECT_EQ(offset0.WindowHeight, 240);
    EXPECT_EQ(offset0.ControlTop, 240 - 66);
    EXPECT_EQ(ScaleByPercent(100, 168), 175);
}

}  // namespace
}  // namespace quillon
