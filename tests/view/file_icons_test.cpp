// File icons: the key and icon-number rules as plain text, then the whole
// road from a source text to an image in the list's images, with the fixture
// program (a red icon number 0 and a blue icon number 1) and real files.

#include "view/file_icons.h"

#include "app/main_window.h"
#include "platform/dpi.h"
#include "platform/registry.h"
#include "platform/scope_exit.h"
#include "tests/platform/fixtures/fixture_files.h"
#include "tests/support/run_values.h"
#include "tests/support/shell_links.h"
#include "tests/support/window_test.h"
#include "view/list_images.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <utility>

namespace quillon {
namespace {

using test::FixtureApp;
using test::TScratchFolder;
using ::testing::IsEmpty;
using ::testing::Pair;
using ::testing::UnorderedElementsAre;

TEST(IconKey, DropsEveryQuoteAndTrims) {
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"\"C:\\Program Files\\App\\app.exe\"", L"C:\\Program Files\\App\\app.exe"},
        {L" \t\"C:\\Program Files\\App\\app.exe\" ", L"C:\\Program Files\\App\\app.exe"},
        {L"C:\\Pro\"gram Files\\app.exe,\"2\"", L"C:\\Program Files\\app.exe,2"},
        {L"\" C:\\app.exe \"", L"C:\\app.exe"},
        {L" \"\" \"", L""},
        {L"", L""},
    };
    for (const auto& [source, key] : cases) {
        EXPECT_EQ(IconKey(source), key) << ::testing::PrintToString(source);
    }
}

TEST(ParseIconLocation, TakesTheNumberAfterTheFirstCommaOrTheFallback) {
    struct TCase {
        std::wstring Key;
        std::wstring Path;
        int Number;
    };
    constexpr int kInvalid = 7;
    const TCase cases[] = {
        {L"C:\\app.exe", L"C:\\app.exe", 0},
        {L"C:\\Windows\\System32\\shell32.dll,4", L"C:\\Windows\\System32\\shell32.dll", 4},
        {L"C:\\x.dll , -3", L"C:\\x.dll", -3},
        {L"C:\\x.dll,+12", L"C:\\x.dll", 12},
        {L"C:\\x.dll,abc", L"C:\\x.dll", kInvalid},
        {L"C:\\x.dll,", L"C:\\x.dll", kInvalid},
        {L"C:\\x.dll,4x", L"C:\\x.dll", kInvalid},
        {L"C:\\x.dll,4,5", L"C:\\x.dll", kInvalid},
        {L"C:\\x.dll,+-4", L"C:\\x.dll", kInvalid},
        {L"C:\\x.dll,0x10", L"C:\\x.dll", kInvalid},
        {L"C:\\x.dll,99999999999", L"C:\\x.dll", kInvalid},
        {L"C:\\x.dll,\x0664", L"C:\\x.dll", kInvalid},  // an Arabic-Indic digit is no number here
        {L"C:\\a,b\\x.dll,2", L"C:\\a", kInvalid},
    };
    for (const TCase& c : cases) {
        const TIconLocation location = ParseIconLocation(c.Key, kInvalid);
        EXPECT_EQ(location.Path, c.Path) << ::testing::PrintToString(c.Key);
        EXPECT_EQ(location.Number, c.Number) << ::testing::PrintToString(c.Key);
    }
}

// ---- Icons in the list's images --------------------------------------------

constexpr int kFallback = kImageRegistry;
constexpr COLORREF kRed = RGB(0xD0, 0x20, 0x20);
constexpr COLORREF kBlue = RGB(0x20, 0x50, 0xD0);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);

// What image Index of List looks like on white at a point of its cell: the
// fixture's icons are a coloured square with a transparent frame.
struct TLook {
    COLORREF Centre;
    COLORREF Corner;
};

TLook LookOf(HIMAGELIST List, int Index) {
    int width = 0;
    int height = 0;
    ::ImageList_GetIconSize(List, &width, &height);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    UniqueBitmap bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!bitmap || !dc) return {};
    HGDIOBJ old = ::SelectObject(dc.get(), bitmap.get());
    const RECT all{0, 0, width, height};
    UniqueBrush white(::CreateSolidBrush(kWhite));
    ::FillRect(dc.get(), &all, white.get());
    ::ImageList_Draw(List, Index, dc.get(), 0, 0, ILD_NORMAL);
    const TLook look{::GetPixel(dc.get(), width / 2, height / 2), ::GetPixel(dc.get(), 1, height / 2)};
    ::SelectObject(dc.get(), old);
    return look;
}

std::string ColourName(COLORREF Colour) {
    char text[16];
    std::snprintf(text, sizeof(text), "#%02X%02X%02X", GetRValue(Colour), GetGValue(Colour), GetBValue(Colour));
    return text;
}

class FileIconsTest : public test::WindowTest {
protected:
    int IconIndex(const std::wstring& Source, int Fallback = kFallback) {
        return GetFileIconIndex(FCache, FImages.get(), FDpi, Source, Fallback);
    }
    int ImageCount() const { return ::ImageList_GetImageCount(FImages.get()); }
    void ExpectLook(int Index, COLORREF Centre) {
        const TLook look = LookOf(FImages.get(), Index);
        EXPECT_EQ(ColourName(look.Centre), ColourName(Centre)) << "image " << Index;
        EXPECT_EQ(ColourName(look.Corner), ColourName(kWhite))
            << "image " << Index << " is not transparent at the edge";
    }

    UINT FDpi = kDefaultDpi;
    UniqueImageList FImages = CreateListImages(kDefaultDpi);
    TIconCache FCache;
    TScratchFolder FFolder;
    const std::wstring FFixture = FixtureApp();
};

TEST_F(FileIconsTest, FollowsTheResultTable) {
    ASSERT_EQ(ImageCount(), kFixedImageCount);

    // Nothing left after quotes and blanks: the fall-back, whatever it is.
    EXPECT_EQ(IconIndex(L""), kFallback);
    EXPECT_EQ(IconIndex(L" \"\" \t", 3), 3);

    // Quoted and unquoted share an entry; the same path in other letters is
    // another key, found on Wine's case-blind file system.
    EXPECT_EQ(IconIndex(L"\"" + FFixture + L"\""), 4);
    EXPECT_EQ(IconIndex(L"  " + FFixture + L" "), 4);
    const std::wstring otherCase = L"z" + FFixture.substr(1);
    EXPECT_EQ(IconIndex(otherCase), 5);

    // No file, a directory, or a file the shell has no icon for: the blank
    // page, and nothing remembered.
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring data = FFolder.File(L"settings.quillon-data");
    UniqueFileHandle created(::CreateFileW(data.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ASSERT_TRUE(created);
    created.reset();
    EXPECT_EQ(IconIndex(FFolder.File(L"missing.exe")), kImageBlank);
    EXPECT_EQ(IconIndex(windows), kImageBlank);
    EXPECT_EQ(IconIndex(data), kImageBlank);

    EXPECT_THAT(FCache, UnorderedElementsAre(Pair(FFixture, 4), Pair(otherCase, 5)));
    EXPECT_EQ(ImageCount(), 6);
    ExpectLook(4, kRed);
    ExpectLook(5, kRed);
}

TEST_F(FileIconsTest, AMissingFileIsLookedUpAgainOnceItExists) {
    const std::wstring later = FFolder.File(L"later.exe");
    EXPECT_EQ(IconIndex(later), kImageBlank);
    EXPECT_THAT(FCache, IsEmpty());

    FFolder.CopyOfFixture(L"later.exe");
    EXPECT_EQ(IconIndex(later), 4);
    EXPECT_THAT(FCache, UnorderedElementsAre(Pair(later, 4)));
    ExpectLook(4, kRed);
}

TEST_F(FileIconsTest, TheNumberAfterTheCommaPicksTheIcon) {
    // An icon number that is no number is the fall-back, used as an icon
    // number: fall-back 1 picks the blue icon, 0 the red one.
    EXPECT_EQ(IconIndex(FFixture + L",0"), 4);
    EXPECT_EQ(IconIndex(FFixture + L", 1"), 5);
    EXPECT_EQ(IconIndex(FFixture + L",abc", 1), 6);
    EXPECT_EQ(IconIndex(FFixture + L",xyz", 0), 7);
    ExpectLook(4, kRed);
    ExpectLook(5, kBlue);
    ExpectLook(6, kBlue);
    ExpectLook(7, kRed);

    // The cache is by key, not by icon: the same key again adds nothing, even
    // with another fall-back.
    EXPECT_EQ(IconIndex(FFixture + L",abc", 0), 6);
    EXPECT_EQ(ImageCount(), 8);
}

TEST_F(FileIconsTest, AThirdFileAfterTwoGetsSix) {
    const std::wstring second = FFolder.CopyOfFixture(L"second.exe");
    const std::wstring third = FFolder.CopyOfFixture(L"third.exe");
    EXPECT_EQ(IconIndex(FFixture), 4);
    EXPECT_EQ(IconIndex(second), 5);
    EXPECT_EQ(IconIndex(third), 6);
    EXPECT_EQ(IconIndex(FFixture), 4);
    EXPECT_EQ(ImageCount(), 7);
}

TEST_F(FileIconsTest, AnIconThatCannotBeAddedGivesTheFallbackAndIsTriedAgain) {
    EXPECT_EQ(GetFileIconIndex(FCache, nullptr, FDpi, FFixture, kFallback), kFallback);
    EXPECT_THAT(FCache, IsEmpty());
    EXPECT_EQ(IconIndex(FFixture), 4);
}

TEST_F(FileIconsTest, IconsAreDrawnForTheListsDpi) {
    FDpi = 144;
    FImages = CreateListImages(FDpi);
    EXPECT_EQ(IconIndex(FFixture + L",1"), 4);
    EXPECT_EQ(ImageCount(), 5);
    ExpectLook(4, kBlue);
}

TEST_F(FileIconsTest, ExtractFileIconRebuildsFromAKey) {
    // A new image list, as after a DPI change, refilled from the cache's keys.
    EXPECT_FALSE(ExtractFileIcon(FFolder.File(L"missing.exe")));
    EXPECT_FALSE(ExtractFileIcon(FFolder.Path()));
    const UniqueIcon blue = ExtractFileIcon(FFixture + L",1");
    const UniqueIcon alsoBlue = ExtractFileIcon(FFixture + L",abc");  // the list's fall-back number
    ASSERT_TRUE(blue);
    ASSERT_TRUE(alsoBlue);
    EXPECT_EQ(AddIconImage(FImages.get(), blue.get(), FDpi), 4);
    EXPECT_EQ(AddIconImage(FImages.get(), alsoBlue.get(), FDpi), 5);
    ExpectLook(4, kBlue);
    ExpectLook(5, kBlue);
}

// ---- Programs cut short ------------------------------------------------------

TEST_F(FileIconsTest, AProgramCutShortHasNoIconAndDoesNotFault) {
    // The system's icon readers fault on these rather than failing.
    const std::string image = test::ReadBytes(FFixture);
    for (std::size_t length : {std::size_t{1}, std::size_t{2}, std::size_t{64}, std::size_t{512}, std::size_t{1024},
                               std::size_t{4096}, image.size() / 2, image.size() - 1}) {
        const std::wstring cut = FFolder.File(L"cut" + std::to_wstring(length) + L".exe");
        test::WriteBytes(cut, image.substr(0, length));
        EXPECT_FALSE(ExtractFileIcon(cut)) << length;
        EXPECT_EQ(IconIndex(cut + L",1"), kImageBlank) << length;
    }
    EXPECT_THAT(FCache, IsEmpty());

    const std::wstring whole = FFolder.File(L"whole.exe");
    test::WriteBytes(whole, image);
    EXPECT_EQ(IconIndex(whole), 4);
    ExpectLook(4, kRed);
}

// ---- Shortcuts ---------------------------------------------------------------

TEST_F(FileIconsTest, AShortcutShowsTheIconOfWhatItLeadsTo) {
    const std::wstring data = FFolder.File(L"notes.quillon-data");
    test::WriteBytes(data, "notes");
    const std::wstring cut = FFolder.File(L"cut.exe");
    test::WriteBytes(cut, test::ReadBytes(FFixture).substr(0, 1024));

    const std::wstring toFixture = FFolder.File(L"fixture.lnk");
    const std::wstring withIcon = FFolder.File(L"icon.LNK");
    const std::wstring toCut = FFolder.File(L"cut.lnk");
    const std::wstring toLink = FFolder.File(L"link to link.lnk");
    const std::wstring toItself = FFolder.File(L"itself.lnk");
    ASSERT_TRUE(test::MakeShellLink(toFixture, FFixture));
    // The icon location wins over the target, whatever the key's number says.
    ASSERT_TRUE(test::MakeShellLink(withIcon, data, FFixture, 1));
    ASSERT_TRUE(test::MakeShellLink(toCut, cut));
    ASSERT_TRUE(test::MakeShellLink(toLink, toFixture));
    ASSERT_TRUE(test::MakeShellLink(toItself, toItself));
    const std::wstring unreadable = FFolder.File(L"unreadable.lnk");
    test::WriteBytes(unreadable, "not a shortcut");

    EXPECT_EQ(IconIndex(toFixture), 4);
    EXPECT_EQ(IconIndex(withIcon + L",0"), 5);
    ExpectLook(4, kRed);
    ExpectLook(5, kBlue);
    // No icon, and no fault, for a cut-off target or a link that cannot be
    // read; a link is followed once only, so a chain or a loop ends at the
    // next link, for which Wine's shell has no icon either.
    for (const std::wstring& link : {toCut, unreadable, toLink, toItself, FFolder.File(L"missing.lnk")}) {
        EXPECT_EQ(IconIndex(link), kImageBlank) << ::testing::PrintToString(link);
    }
    EXPECT_EQ(ImageCount(), 6);
}

TEST_F(FileIconsTest, AShortcutsEnvironmentReferencesNameTheNativeFolders) {
    // This test program is a native process, where both names agree; the
    // rewrite a 32-bit process needs is covered by NativeVariableNames.
    wchar_t programs[MAX_PATH] = {};
    wchar_t native[MAX_PATH] = {};
    ASSERT_TRUE(::GetEnvironmentVariableW(L"ProgramFiles", programs, MAX_PATH));
    ASSERT_TRUE(::GetEnvironmentVariableW(L"ProgramW6432", native, MAX_PATH));
    ASSERT_STREQ(programs, native);
    const std::wstring folderName = L"Quillon Test " + std::to_wstring(::GetCurrentProcessId());
    const std::wstring folder = std::wstring(programs) + L"\\" + folderName;
    const std::wstring app = folder + L"\\app.exe";
    ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
    const auto removeFolder = ScopeExit([&] {
        ::DeleteFileW(app.c_str());
        ::RemoveDirectoryW(folder.c_str());
    });
    ASSERT_TRUE(::CopyFileW(FFixture.c_str(), app.c_str(), FALSE));

    const std::wstring written = L"%ProgramFiles%\\" + folderName + L"\\app.exe";
    const std::wstring target = FFolder.File(L"target.lnk");
    test::WriteBytes(target, test::ShellLinkBytesWithRawTarget(std::string(written.begin(), written.end())));
    const std::wstring icon = FFolder.File(L"icon.lnk");
    ASSERT_TRUE(test::MakeShellLink(icon, FFolder.Path(), written, 1));

    EXPECT_EQ(IconIndex(target), 4);
    EXPECT_EQ(IconIndex(icon), 5);
    ExpectLook(4, kRed);
    ExpectLook(5, kBlue);
}

// The list's images are drawn anew for a new DPI; an icon whose file has
// gone since keeps its place (with the blank page), so every later row still
// shows its own file's icon.
TEST_F(FileIconsTest, AfterADpiChangeEveryCachedIconKeepsItsPlace) {
    const std::wstring pid = std::to_wstring(::GetCurrentProcessId());
    const std::wstring gone = FFolder.CopyOfFixture(L"gone.exe");
    const std::wstring kept = FFolder.CopyOfFixture(L"kept.exe");
    test::TRunValues values;
    values.Add(L"QlnIconGone" + pid, L"\"" + gone + L"\" /tray");
    values.Add(L"QlnIconKept" + pid, L"\"" + kept + L"\"");
    TFrmQuillon form;
    form.Show(SW_SHOWNOACTIVATE);
    TFrmAutorun& frame = form.FrmAutorun();
    frame.LoadAutorun();
    // A row reads its file's icon when it is first shown.
    for (int row = 0; row < static_cast<int>(frame.Rows().size()); ++row) {
        if (frame.Rows()[row].Target.find(L"QlnIcon") == std::wstring::npos) continue;
        frame.ListAutorun().ScrollIntoView(row);
        ::UpdateWindow(frame.ListAutorun().Handle());
    }
    for (const std::wstring& name : values.Names()) TReg::DeleteValue(HKEY_CURRENT_USER, values.kKey, name);
    const TIconCache cache = frame.IconCache();
    ASSERT_TRUE(cache.contains(gone) && cache.contains(kept));
    ASSERT_TRUE(::DeleteFileW(gone.c_str()));

    RECT suggested{100, 100, 800, 800};
    ::SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    const HIMAGELIST images = ListView_GetImageList(frame.ListAutorun().Handle(), LVSIL_SMALL);
    int width = 0;
    int height = 0;
    ::ImageList_GetIconSize(images, &width, &height);
    EXPECT_EQ(width, 24) << "drawn anew for 144 DPI";
    ASSERT_GT(::ImageList_GetImageCount(images), std::max(cache.at(gone), cache.at(kept)));
    EXPECT_EQ(ColourName(LookOf(images, cache.at(kept)).Centre), ColourName(kRed));
    EXPECT_EQ(ColourName(LookOf(images, cache.at(gone)).Centre), ColourName(LookOf(images, kImageBlank).Centre));
}

}  // namespace
}  // namespace quillon
