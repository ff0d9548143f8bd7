#pragma once
// Button style families: a named family gives the look of a button of a
// given appearance in each of its five states. The program's own family,
// "Tamrisk", draws the header's tool button ("Header") and the switch
// button ("Outline") in the accent blue; it is registered at start, before
// any window exists.

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

enum class TButtonDrawType { RoundRect, Rounded, Rect, Ellipse };
enum class TButtonDrawStyle { Clear, Solid };  // the face: unfilled or filled
enum class TBorderDrawStyle { Clear, Solid };

// The look of a button in one state. A family sets everything but the font
// name, the corner radius and the rounded corners, which the button keeps.
struct TStyledButtonAttributes {
    TButtonDrawType DrawType = TButtonDrawType::RoundRect;
    TButtonDrawStyle ButtonDrawStyle = TButtonDrawStyle::Solid;
    TBorderDrawStyle BorderDrawStyle = TBorderDrawStyle::Solid;
    COLORREF ButtonColor = RGB(255, 255, 255);
    COLORREF BorderColor = RGB(0, 0, 0);
    int BorderWidth = 0;
    COLORREF FontColor = RGB(0, 0, 0);
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    std::wstring FontName;
    int Radius = 0;
    bool RoundedCorners = true;

    bool operator==(const TStyledButtonAttributes&) const = default;
};

// The five states a button is drawn in.
struct TStyledButtonStates {
    TStyledButtonAttributes Normal;
    TStyledButtonAttributes Pressed;
    TStyledButtonAttributes Selected;
    TStyledButtonAttributes Hot;
    TStyledButtonAttributes Disabled;
};

// What a family offers.
class IStyledButtonAttributes {
public:
    virtual ~IStyledButtonAttributes() = default;

    // Fills the five states for a button of Appearance; Family and Class
    // are not looked at.
    virtual void StateAttributes(std::wstring_view Family, std::wstring_view Class, std::wstring_view Appearance,
                                 TStyledButtonAttributes& Normal, TStyledButtonAttributes& Pressed,
                                 TStyledButtonAttributes& Selected, TStyledButtonAttributes& Hot,
                                 TStyledButtonAttributes& Disabled) const = 0;
    virtual std::wstring FamilyName() const = 0;
    virtual std::vector<std::wstring> ClassList() const = 0;
    virtual std::vector<std::wstring> AppearanceList() const = 0;
    // The class and appearance of a dialog's button for a result (IDOK,
    // IDCANCEL, ...).
    virtual void DefaultStyleForResult(int ModalResult, std::wstring& Class, std::wstring& Appearance) const = 0;
};

// The family registry: families by name. Registering a family under a name
// already taken replaces it.
void RegisterButtonFamily(std::shared_ptr<const IStyledButtonAttributes> Family);
std::shared_ptr<const IStyledButtonAttributes> FindButtonFamily(std::wstring_view Name);

inline constexpr wchar_t kTamriskFamily[] = L"Tamrisk";

// Registers the "Tamrisk" family; later calls do nothing.
void RegisterTamriskButtonFamily();

// The five states of Appearance in Family, starting from Base (the
// button's own font name, radius and corners); Base in every state when no
// such family is registered.
TStyledButtonStates ButtonStates(std::wstring_view Family, std::wstring_view Appearance,
                                 const TStyledButtonAttributes& Base = {});

// Colour arithmetic of the family, on each of red, green and blue:
// lightened by Percent towards white, halves rounded up...
COLORREF LightenColor(COLORREF Color, int Percent);
// ...and turned grey by its luminance, rounded to the nearest.
COLORREF GrayColor(COLORREF Color);

}  // namespace quillon
