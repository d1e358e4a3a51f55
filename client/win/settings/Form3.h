// Form3: the colour settings window, and the owner of the client's only menu, which the popup shows on a right
// press on its background.
// Its names are the first design's:
//   Combo1 / Combo2         the background and text colour fields (Label1 / Label2 their captions)
//   Command1 / Command2     OK / キャンセル
//   copy_, conf_, service_, close_ _Click   the menu's items: copy, this window, the service window, close
//   replace_Click           the item after copy that a selection start adds: the text in place of the selection
#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "common/Handles.h"
#include "win/ControlWindow.h"
#include "core/settings/ColorChoice.h"

namespace velmora {

class Form1;
class ServiceWindow;

class Form3 : public ControlWindow {
  public:
    explicit Form3(Form1& owner);
    ~Form3() override;

    // Shows `menu` as the popup's menu, at the mouse pointer or at `at`, and runs the chosen item. Loads the
    // window hidden first when it is not loaded.
    void ShowMenu(HWND popup, std::optional<POINT> at = std::nullopt);

    // The menu's items.
    void copy_Click();
    void replace_Click();
    void conf_Click();
    void service_Click();
    void close_Click();

  private:
    void Form_Load();
    void Combo1_Change();
    void Combo1_Click();
    void Combo2_Change();
    void Combo2_Click();
    void Command1_Click();
    void Command2_Click();
    void FillColorLists();  // and finds the controls the window keeps
    void LayOut(UINT dpi) override;
    void PlaceAtDesign(UINT dpi);
    void Validate(HWND combo, ColorNameField& field, const std::wstring& text);
    void OnCommand(int id, int code) override;
    void Enter() override;
    void Escape() override;

    Form1& form1_;
    common::UniqueMenu menu_;
    HWND combo1_ = nullptr;
    HWND combo2_ = nullptr;
    HWND command1_ = nullptr;
    // The service window, opened from the menu; it lives as long as this window object.
    std::unique_ptr<ServiceWindow> serviceWindow_;
    // The last names the lists held that stood; set again from the lists' texts at each load.
    ColorNameField background_{u"Default"};
    ColorNameField text_{u"Default"};
};

}  // namespace velmora
