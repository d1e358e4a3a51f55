// The speech bubble that the result popup and the pending bubble are both made of: the borderless topmost window
// with its shape, the title "翻訳結果" and the "Close" label, colours from the settings file, fonts, dragging and
// the place next to the pointer. A derived window adds its body control (the popup's text box, the pending
// bubble's "翻訳中…") and says what a click on "Close" and a press on the background do.
#pragma once
#include <windows.h>

#include <optional>

#include "common/Handles.h"
#include "win/ControlWindow.h"
#include "core/bubble/Bubble.h"

namespace velmora {

class BubbleWindow : public ControlWindow {
public:
    ~BubbleWindow() override;

    static constexpr COLORREF kDesignBackColor = 0x00C0FFFF;
    static constexpr COLORREF kDesignForeColor = 0x00000000;
    static constexpr COLORREF kCloseGrey = 0x00808080;

    // The five colour properties, in the order the settings window applies them.
    void ApplyColors(COLORREF background, COLORREF text);
    // True while the user moves the bubble: the system's move loop runs until the button is released.
    [[nodiscard]] bool Dragging() const { return dragging_; }

protected:
    // Creates the hidden window and its controls: the title, the body (from MakeBody), "Close".
    [[nodiscard]] bool CreateBubble(const wchar_t* className, const wchar_t* caption);
    // The colours of the settings file, or the design colours when it has none to give.
    void LoadColors();
    // Size and controls at the DPI, the shape, and the place: the given top-left corner, or next to
    // the pointer.
    void LayOutAndPlace(std::optional<POINT> topLeft);
    void Drag();
    // Shows the bubble in front with the keyboard focus in `focus`. Where Windows keeps the user's program in front,
    // the bubble stays topmost without the focus: a click activates it (the focus then goes to `focus`), and Esc
    // still closes it (see HoldEscape). False then.
    bool ShowInFront(HWND focus);
    // Gives Esc back to whichever program is in front (the bubble leaves the screen).
    void ReleaseEscape();
    // Laid out again for the body's text where it stands: the tail's tip stays, the bubble grows by the same rules
    // as the popup's (wider first, then taller) and never shrinks.
    void GrowToText();
    // How much of the body's height shows: the bubble's bottom edge cuts into it.
    [[nodiscard]] int BodyShownHeight() const;
    // The top-left corner a bubble of the designed size would have with the same tail tip as this one.
    [[nodiscard]] POINT DesignedTopLeft() const;

    virtual HWND MakeBody(HINSTANCE instance, int id) = 0;
    // How tall the body's text is at a width, for a bubble that grows to fit it; none keeps the designed size.
    virtual TextHeight BodyTextHeight() { return nullptr; }
    // A mouse button pressed on the bubble's own background: 1 left, 2 right, 4 middle. The left one drags.
    virtual void Form_MouseDown(int button);
    virtual void Label1_Click() = 0;
    virtual void DragEnded() {}

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

    HWND label3_ = nullptr;
    HWND body_ = nullptr;
    HWND label1_ = nullptr;

private:
    // Fonts, size and controls at the DPI, grown to the body's text within the work area; answers the layout.
    BubbleLayout LayOutAt(UINT dpi, const Rect& workArea);
    void SetShape();
    // Lays it out and places it for the pointer at anchor_, on the monitor there and at that monitor's DPI.
    void PlaceAtAnchor();
    void DpiChanged(UINT dpi, const RECT& suggested) override;
    void HoldEscape();
    bool Activated(bool active, bool minimized) override;
    void Label3_MouseDown(int button);
    void Label1_MouseDown();
    void Label1_MouseUp();
    HBRUSH ColorFor(HWND control, HDC dc);
    static LRESULT CALLBACK LabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    COLORREF backColor_ = kDesignBackColor;
    COLORREF foreColor_ = kDesignForeColor;
    COLORREF text1BackColor_ = kDesignBackColor;
    COLORREF text1ForeColor_ = kDesignForeColor;
    COLORREF label3ForeColor_ = kDesignForeColor;
    COLORREF label1ForeColor_ = kCloseGrey;
    common::UniqueBrush backBrush_;
    common::UniqueBrush text1Brush_;
    common::UniqueFont uiFont_;
    common::UniqueFont closeFont_;
    bool closePressed_ = false;
    bool dragging_ = false;
    UINT dpi_ = 96;           // the DPI the bubble is laid out at
    POINT anchor_{0, 0};      // the pointer it was placed for
    bool moved_ = false;      // placed elsewhere by the user (or where the pending bubble stood)
    WNDPROC staticProc_ = nullptr;
    bool escapeHeld_ = false;        // Esc is the bubble's hot key while another program is in front
    HWND frontWhenShown_ = nullptr;  // that program's window
};

}  // namespace velmora
