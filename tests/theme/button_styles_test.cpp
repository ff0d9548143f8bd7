// The "Tamrisk" style family: every appearance in its five states, the two
// rules its derived colours follow, and the registry it is found in.
#include "theme/button_styles.h"

#include <gtest/gtest.h>

#include <string>

namespace quillon {
namespace {

using TDraw = TButtonDrawStyle;
using TBorder = TBorderDrawStyle;

constexpr COLORREF kAccent = RGB(61, 132, 221);
constexpr COLORREF kLight = RGB(80, 144, 224);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

struct TLook {
    TDraw Face;
    COLORREF Button;
    TBorder Border;
    COLORREF BorderColor;
    COLORREF Font;
};

void ExpectLook(const TStyledButtonAttributes& State, const TLook& Look, const std::string& What) {
    EXPECT_EQ(State.ButtonDrawStyle, Look.Face) << What;
    EXPECT_EQ(State.ButtonColor, Look.Button) << What;
    EXPECT_EQ(State.BorderDrawStyle, Look.Border) << What;
    EXPECT_EQ(State.BorderColor, Look.BorderColor) << What;
    EXPECT_EQ(State.FontColor, Look.Font) << What;
    EXPECT_EQ(State.DrawType, TButtonDrawType::RoundRect) << What;
    EXPECT_EQ(State.BorderWidth, 0) << What;
    EXPECT_FALSE(State.Bold || State.Italic || State.Underline || State.StrikeOut) << What;
}

TEST(TamriskFamily, GivesEachAppearanceItsFiveStates) {
    RegisterTamriskButtonFamily();
    const struct {
        const wchar_t* Appearance;
        TLook Normal, Pressed, Selected, Hot, Disabled;
    } cases[] = {
        {L"Outline",
         {TDraw::Clear, kAccent, TBorder::Solid, kAccent, kBlack},
         {TDraw::Solid, kAccent, TBorder::Solid, kAccent, kWhite},
         {TDraw::Solid, kLight, TBorder::Solid, kAccent, kWhite},
         {TDraw::Solid, kLight, TBorder::Solid, kAccent, kWhite},
         {TDraw::Clear, kAccent, TBorder::Solid, RGB(215, 215, 215), RGB(179, 179, 179)}},
        {L"Header",
         {TDraw::Clear, kWhite, TBorder::Solid, kBlack, kBlack},
         {TDraw::Solid, kAccent, TBorder::Clear, kAccent, kWhite},
         {TDraw::Solid, kLight, TBorder::Clear, kAccent, kWhite},
         {TDraw::Solid, kAccent, TBorder::Clear, kAccent, kWhite},
         {TDraw::Clear, kWhite, TBorder::Solid, RGB(188, 188, 188), RGB(128, 128, 128)}},
        {L"Normal",
         {TDraw::Solid, kAccent, TBorder::Solid, kAccent, kWhite},
         {TDraw::Solid, kAccent, TBorder::Solid, kAccent, kWhite},
         {TDraw::Solid, kAccent, TBorder::Solid, kAccent, kWhite},
         {TDraw::Solid, kLight, TBorder::Solid, kAccent, kWhite},
         {TDraw::Solid, kWhite, TBorder::Solid, RGB(192, 192, 192), RGB(192, 192, 192)}},
    };
    for (const auto& testCase : cases) {
        const std::string name(testCase.Appearance, testCase.Appearance + wcslen(testCase.Appearance));
        const TStyledButtonStates states = ButtonStates(kTamriskFamily, testCase.Appearance);
        ExpectLook(states.Normal, testCase.Normal, name + " normal");
        ExpectLook(states.Pressed, testCase.Pressed, name + " pressed");
        ExpectLook(states.Selected, testCase.Selected, name + " selected");
        ExpectLook(states.Hot, testCase.Hot, name + " hot");
        ExpectLook(states.Disabled, testCase.Disabled, name + " disabled");
    }
    // The appearance is found ignoring case; an unknown one looks normal.
    EXPECT_EQ(ButtonStates(kTamriskFamily, L"outline").Disabled, ButtonStates(kTamriskFamily, L"Outline").Disabled);
    EXPECT_EQ(ButtonStates(kTamriskFamily, L"Flat").Hot, ButtonStates(kTamriskFamily, L"Normal").Hot);
}

TEST(TamriskFamily, LeavesTheButtonsOwnFontRadiusAndCorners) {
    RegisterTamriskButtonFamily();
    TStyledButtonAttributes base;
    base.FontName = L"Segoe UI";
    base.Radius = 4;
    base.RoundedCorners = false;
    const TStyledButtonStates states = ButtonStates(kTamriskFamily, L"Header", base);
    for (const TStyledButtonAttributes* state :
         {&states.Normal, &states.Pressed, &states.Selected, &states.Hot, &states.Disabled}) {
        EXPECT_EQ(state->FontName, L"Segoe UI");
        EXPECT_EQ(state->Radius, 4);
        EXPECT_FALSE(state->RoundedCorners);
    }
}

TEST(TamriskFamily, IsRegisteredByNameWithItsListsAndDefaults) {
    RegisterTamriskButtonFamily();
    const auto family = FindButtonFamily(L"Tamrisk");
    ASSERT_NE(family, nullptr);
    EXPECT_EQ(family->FamilyName(), L"Tamrisk");
    EXPECT_EQ(family->ClassList(), std::vector<std::wstring>{L"Primary"});
    EXPECT_EQ(family->AppearanceList(), (std::vector<std::wstring>{L"Normal", L"Header", L"Outline"}));
    for (const int result : {IDOK, IDCANCEL, IDYES, IDNO}) {
        std::wstring buttonClass;
        std::wstring appearance;
        family->DefaultStyleForResult(result, buttonClass, appearance);
        EXPECT_EQ(buttonClass, L"Primary");
        EXPECT_EQ(appearance, L"Normal");
    }
    EXPECT_EQ(FindButtonFamily(L"NoSuchFamily"), nullptr);
    // Without a family, every state keeps the button's own look.
    TStyledButtonAttributes base;
    base.ButtonColor = RGB(1, 2, 3);
    EXPECT_EQ(ButtonStates(L"NoSuchFamily", L"Outline", base).Pressed, base);
}

TEST(TamriskFamily, DerivesItsColoursByTwoRules) {
    EXPECT_EQ(LightenColor(kAccent, 10), kLight);
    EXPECT_EQ(LightenColor(kBlack, 70), RGB(179, 179, 179)) << "178.5 rounds up";
    EXPECT_EQ(LightenColor(kBlack, 50), RGB(128, 128, 128)) << "127.5 rounds up";
    EXPECT_EQ(LightenColor(kWhite, 40), kWhite);
    EXPECT_EQ(LightenColor(RGB(10, 20, 30), 0), RGB(10, 20, 30));
    EXPECT_EQ(GrayColor(LightenColor(kAccent, 70)), RGB(215, 215, 215));
    EXPECT_EQ(GrayColor(LightenColor(kAccent, 50)), RGB(188, 188, 188));
    EXPECT_EQ(GrayColor(RGB(255, 0, 0)), RGB(76, 76, 76));
}

}  // namespace
}  // namespace quillon
