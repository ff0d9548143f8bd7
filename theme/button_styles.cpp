#include "theme/button_styles.h"

#include "platform/text.h"
#include "theme/palette.h"

#include <cmath>
#include <map>
#include <mutex>

namespace quillon {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kSilver = RGB(192, 192, 192);

int LightenPart(int Part, int Percent) {
    // (255 - c) * p / 100, halves rounded up, in whole numbers.
    return Part + ((255 - Part) * Percent * 2 + 100) / 200;
}

class TTamriskFamily final : public IStyledButtonAttributes {
public:
    void StateAttributes(std::wstring_view, std::wstring_view, std::wstring_view Appearance,
                         TStyledButtonAttributes& Normal, TStyledButtonAttributes& Pressed,
                         TStyledButtonAttributes& Selected, TStyledButtonAttributes& Hot,
                         TStyledButtonAttributes& Disabled) const override {
        const bool outline = EqualsIgnoringAsciiCase(Appearance, L"Outline");
        const bool header = EqualsIgnoringAsciiCase(Appearance, L"Header");
        const COLORREF accent = kAccentColor;
        const COLORREF lightAccent = LightenColor(accent, 10);

        Normal.DrawType = TButtonDrawType::RoundRect;
        Normal.BorderDrawStyle = TBorderDrawStyle::Solid;
        Normal.BorderWidth = 0;
        Normal.Bold = Normal.Italic = Normal.Underline = Normal.StrikeOut = false;
        if (outline) {
            SetFace(Normal, TButtonDrawStyle::Clear, accent, accent, kBlack);
        } else if (header) {
            SetFace(Normal, TButtonDrawStyle::Clear, kWhite, kBlack, kBlack);
        } else {
            SetFace(Normal, TButtonDrawStyle::Solid, accent, accent, kWhite);
        }
        Pressed = Selected = Hot = Disabled = Normal;

        if (outline) {
            SetLook(Pressed, TButtonDrawStyle::Solid, accent, TBorderDrawStyle::Solid, accent, kWhite);
            SetLook(Hot, TButtonDrawStyle::Solid, lightAccent, TBorderDrawStyle::Solid, accent, kWhite);
            SetLook(Selected, TButtonDrawStyle::Solid, lightAccent, TBorderDrawStyle::Solid, accent, kWhite);
            SetLook(Disabled, TButtonDrawStyle::Clear, accent, TBorderDrawStyle::Solid,
                    GrayColor(LightenColor(accent, 70)), GrayColor(LightenColor(kBlack, 70)));
        } else if (header) {
            SetLook(Pressed, TButtonDrawStyle::Solid, accent, TBorderDrawStyle::Clear, accent, kWhite);
            SetLook(Hot, TButtonDrawStyle::Solid, accent, TBorderDrawStyle::Clear, accent, kWhite);
            SetLook(Selected, TButtonDrawStyle::Solid, lightAccent, TBorderDrawStyle::Clear, accent, kWhite);
            SetLook(Disabled, TButtonDrawStyle::Clear, kWhite, TBorderDrawStyle::Solid,
                    GrayColor(LightenColor(accent, 50)), GrayColor(LightenColor(kBlack, 50)));
        } else {
            SetLook(Hot, TButtonDrawStyle::Solid, lightAccent, TBorderDrawStyle::Solid, accent, kWhite);
            SetLook(Disabled, TButtonDrawStyle::Solid, kWhite, TBorderDrawStyle::Solid, kSilver, kSilver);
        }
    }

    std::wstring FamilyName() const override { return kTamriskFamily; }
    std::vector<std::wstring> ClassList() const override { return {L"Primary"}; }
    std::vector<std::wstring> AppearanceList() const override { return {L"Normal", L"Header", L"Outline"}; }

    void DefaultStyleForResult(int, std::wstring& Class, std::wstring& Appearance) const override {
        Class = L"Primary";
        Appearance = L"Normal";
    }

private:
    static void SetFace(TStyledButtonAttributes& State, TButtonDrawStyle Style, COLORREF Button, COLORREF Border,
                        COLORREF Font) {
        State.ButtonDrawStyle = Style;
        State.ButtonColor = Button;
        State.BorderColor = Border;
        State.FontColor = Font;
    }

    static void SetLook(TStyledButtonAttributes& State, TButtonDrawStyle Style, COLORREF Button,
                        TBorderDrawStyle BorderStyle, COLORREF Border, COLORREF Font) {
        SetFace(State, Style, Button, Border, Font);
        State.BorderDrawStyle = BorderStyle;
    }
};

struct TRegistry {
    std::mutex Lock;
    std::map<std::wstring, std::shared_ptr<const IStyledButtonAttributes>, std::less<>> Families;
};

TRegistry& Registry() {
    static TRegistry registry;
    return registry;
}

}  // namespace

COLORREF LightenColor(COLORREF Color, int Percent) {
    return RGB(LightenPart(GetRValue(Color), Percent), LightenPart(GetGValue(Color), Percent),
               LightenPart(GetBValue(Color), Percent));
}

COLORREF GrayColor(COLORREF Color) {
    const int gray =
        static_cast<int>(std::lround(0.299 * GetRValue(Color) + 0.587 * GetGValue(Color) + 0.114 * GetBValue(Color)));
    return RGB(gray, gray, gray);
}

void RegisterButtonFamily(std::shared_ptr<const IStyledButtonAttributes> Family) {
    if (!Family) return;
    TRegistry& registry = Registry();
    const std::lock_guard lock(registry.Lock);
    registry.Families[Family->FamilyName()] = std::move(Family);
}

std::shared_ptr<const IStyledButtonAttributes> FindButtonFamily(std::wstring_view Name) {
    TRegistry& registry = Registry();
    const std::lock_guard lock(registry.Lock);
    const auto found = registry.Families.find(Name);
    return found == registry.Families.end() ? nullptr : found->second;
}

void RegisterTamriskButtonFamily() {
    static std::once_flag once;
    std::call_once(once, [] { RegisterButtonFamily(std::make_shared<TTamriskFamily>()); });
}

TStyledButtonStates ButtonStates(std::wstring_view Family, std::wstring_view Appearance,
                                 const TStyledButtonAttributes& Base) {
    TStyledButtonStates states{Base, Base, Base, Base, Base};
    if (const auto family = FindButtonFamily(Family)) {
        family->StateAttributes(Family, L"", Appearance, states.Normal, states.Pressed, states.Selected, states.Hot,
                                states.Disabled);
    }
    return states;
}

}  // namespace quillon
