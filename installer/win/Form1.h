// The installer's window: four frames, one per browser menu entry, each with an install and an uninstall button.
#pragma once
#include <windows.h>

#include <array>

#include "common/Handles.h"
#include "common/Window.h"
#include "core/Flows.h"
#include "win/Ports.h"
#include "win/Shortcuts.h"

namespace installer {

class Form1 final : public common::Window, private EntryButtons {
  public:
    Form1();
    ~Form1() override;

    // Creates the window and its controls, hidden; Form_Load runs before it is first shown.
    [[nodiscard]] bool Create();
    // Warns when the entries would go to another user's account, then the start-up flow.
    void Form_Load();
    void Show(int showCommand);

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    void Form_Create();
    void Form_Activate(bool active);
    void Form_DpiChanged(UINT dpi, const RECT& suggested);
    void LayOut(UINT dpi);
    void SetControlsFont(HFONT font);
    void Command_Click(int id);

    void Command1_Click() { flows_.InstallCommand(0); }
    void Command2_Click() { flows_.UninstallCommand(0); }
    void Command3_Click() { flows_.InstallCommand(1); }
    void Command4_Click() { flows_.UninstallCommand(1); }
    void Command5_Click() { flows_.InstallCommand(2); }
    void Command6_Click() { flows_.UninstallCommand(2); }
    void Command7_Click() { flows_.InstallCommand(3); }
    void Command8_Click() { flows_.UninstallCommand(3); }

    void SetEntryButtons(std::size_t entry, bool registered) override;

    std::array<HWND, 4> frames_{};    // Frame1 to Frame4
    std::array<HWND, 4> labels_{};    // Label1 to Label4
    std::array<HWND, 8> commands_{};  // Command1 to Command8: odd install, even uninstall
    common::UniqueFont font_;
    HWND focused_ = nullptr;  // the control to give the focus back to when the window is activated again

    WinMenuRegistry registry_{HKEY_CURRENT_USER};
    WinFileSystem files_;
    WinDialogs dialogs_;
    WinStartMenu startMenu_;
    InstallerFlows flows_;
};

}  // namespace installer
