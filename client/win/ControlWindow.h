// ControlWindow: what the client's windows share, the service window, the colour settings and both bubbles. A
// table of controls created and laid out at a DPI with one font; the keyboard focus kept as a dialog keeps it; Enter
// and Esc from the message loop's dialog keys; the move to a screen of another DPI; and the shortcut key that
// started the client refused (see Form1).
#pragma once
#include <windows.h>

#include <span>

#include "common/Handles.h"
#include "common/Window.h"

namespace velmora {

struct ControlDesign {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    int left, top, width, height;  // in the window's design units (96-dpi pixels, or twips)
    int limit = 0;                 // an edit's longest text
};

class ControlWindow : public common::Window {
  protected:
    // A design unit in pixels at a DPI.
    using Scale = int (*)(int units, UINT dpi);

    // The table's controls as children of the window, each with its identifier; placed by PlaceControls.
    void CreateControls(std::span<const ControlDesign> controls);
    // Each control with the dialog font at the DPI and at its place; the new font is set before the old one goes.
    void PlaceControls(std::span<const ControlDesign> controls, UINT dpi, Scale scale);

    // Fonts and controls at a DPI; the window's own size is the caller's.
    virtual void LayOut(UINT /*dpi*/) {}
    // On a move to a screen of another DPI: laid out again, at the size and place the system suggests.
    virtual void DpiChanged(UINT dpi, const RECT& suggested);
    // WM_ACTIVATE; false leaves it to the system. By default the focus is kept as a dialog keeps it.
    virtual bool Activated(bool active, bool minimized);
    virtual void OnCommand(int /*id*/, int /*code*/) {}
    // Enter and Esc, which the dialog keys send as IDOK and IDCANCEL.
    virtual void Enter() {}
    virtual void Escape() {}
    // Enter on a push button presses that button, as in a dialog; false when the focus is on none.
    bool PressFocusedButton();

    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

    // The control that had the focus when the window was last deactivated; it gets it back on activation.
    HWND focus_ = nullptr;

  private:
    common::UniqueFont font_;
};

}  // namespace velmora
