#pragma once
// A child control of one of our windows, as an object. It is created from
// typed arguments, owns its window, and receives what its parent is told
// about it (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, WM_CTLCOLOR...): TWindow
// reflects those messages here, so a parent only wires events and never
// decodes a notification.

#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>
#include <string_view>

namespace quillon {

class TControl {
public:
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    [[nodiscard]] HWND Handle() const noexcept { return FHandle; }

    // Places the control at Rect, in its parent's client coordinates.
    void MoveTo(const RECT& Rect) const;
    // The font is borrowed: its owner keeps it alive while the control shows it.
    void SetFont(HFONT Font) const;
    void SetText(std::wstring_view Text) const;
    [[nodiscard]] std::wstring Text() const;
    void SetEnabled(bool Enabled) const;
    [[nodiscard]] bool Enabled() const;

    // Hands a message that a parent received about one of its children to
    // the child's object. False when the message is not of that kind or the
    // child is not one of ours; Result is set otherwise.
    static bool Reflect(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT& Result);

protected:
    TControl() = default;

    struct TCreateArgs {
        const wchar_t* ClassName = nullptr;
        std::wstring_view Text;
        DWORD Style = 0;  // WS_CHILD and WS_VISIBLE are always added
        DWORD ExStyle = 0;
        HWND Parent = nullptr;
    };
    // Creates the control window and attaches this object to it.
    void Create(const TCreateArgs& Args);

    // What the parent was told about this control. Each returns the result
    // for the parent's window procedure, or nothing to leave the message to
    // the parent's default handling.
    // Code is the notification, Id the command (a tool bar's button).
    virtual std::optional<LRESULT> OnCommand(WORD /*Code*/, WORD /*Id*/) { return std::nullopt; }
    virtual std::optional<LRESULT> OnNotify(NMHDR& /*Header*/) { return std::nullopt; }
    virtual std::optional<LRESULT> OnDrawItem(const DRAWITEMSTRUCT& /*Item*/) { return std::nullopt; }
    // WM_CTLCOLORBTN and WM_CTLCOLORSTATIC: the brush to paint behind the
    // control, or null for the default.
    virtual HBRUSH OnColor(HDC /*Dc*/) { return nullptr; }

    // Messages to the control window itself, before its own procedure.
    virtual LRESULT OnMessage(UINT Msg, WPARAM WParam, LPARAM LParam);
    // The control's own procedure, for OnMessage to pass a message on.
    LRESULT DefaultMessage(UINT Msg, WPARAM WParam, LPARAM LParam);

private:
    static LRESULT CALLBACK SubclassProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam, UINT_PTR Id, DWORD_PTR Self);
    static TControl* FromHandle(HWND Wnd);

    HWND FHandle = nullptr;
};

}  // namespace quillon
