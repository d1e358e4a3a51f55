// ServiceWindow: the translation service window. The user chooses one of the services of the table
// (core/services/Services.h), enters the keys (kept in Credential Manager, never shown again), the servers'
// addresses and the model, and can try the choice before saving it. Its options and frames are built from the table.
#pragma once
#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/Handles.h"
#include "win/ControlWindow.h"
#include "core/services/ServiceForm.h"
#include "win/services/Credentials.h"
#include "win/services/ServiceStore.h"
#include "win/services/ServiceTrial.h"

namespace velmora {

class ServiceWindow : public ControlWindow {
  public:
    // `closed` runs once the window is gone (the window started alone ends the program there).
    explicit ServiceWindow(CredentialStore& store = SystemCredentials(),
                           TrialFunction trial = TryService,
                           std::function<void()> closed = nullptr);

    // Loads and shows the window, or brings it forward when it is open. Topmost beside the topmost popup.
    [[nodiscard]] bool Show(bool topmost);

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

  private:
    [[nodiscard]] bool Window_Load(bool topmost);
    void ServiceOption_Click();
    void Key_Change();
    void RemoveKey_Click(size_t row);
    void TryButton_Click();
    void Trial_Complete();
    void OkButton_Click();
    void CancelButton_Click();
    void Window_Unload();
    void LoadValues();
    void LayOut(UINT dpi) override;
    void OnCommand(int id, int code) override;
    void Enter() override;
    void Escape() override;

    [[nodiscard]] ServiceKind Choice() const;
    void SetChoice(ServiceKind kind);
    [[nodiscard]] std::wstring TextOf(int id) const;  // a field's text, trimmed
    // The choice and every service's values as the window holds them, trimmed.
    [[nodiscard]] ServiceSettings Settings() const;
    // The key field of the service in that row of the table: its state; the key typed into it never goes anywhere
    // but into `store_` or a trial.
    [[nodiscard]] KeyField FieldOf(size_t row) const;
    // The key the window stands for: the typed one, else the stored one unless its removal is asked for.
    [[nodiscard]] std::optional<SecretText> KeyFor(size_t row);
    // What OK (allKeys) or 試す (the chosen service's key only) refuses, the keys' characters and servers included.
    [[nodiscard]] std::optional<FormProblem> CheckForm(ServiceKind kind, bool allKeys) const;
    void ShowKeyState();
    void ShowProblem(const FormProblem& problem);
    [[nodiscard]] std::wstring SaveKeys(const ServiceSettings& settings, DWORD& error);
    [[nodiscard]] std::wstring RemoveKeys(DWORD& error);

    CredentialStore& store_;
    TrialFunction trial_;
    std::function<void()> closed_;
    std::vector<KeyField> keys_;        // by row of the table of services; rows without a key keep an empty one
    std::vector<std::wstring> savedFor_;  // the server each stored key was saved for (UrlOrigin); empty for fixed hosts
    std::shared_ptr<Mailbox<TrialOutcome>> trialOutcome_;
};

}  // namespace velmora
