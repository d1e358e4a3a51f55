// ServiceWindow: the translation service window. The user chooses the pages, DeepL's API or a LibreTranslate server,
// enters the keys (kept in Credential Manager, never shown again) and the server's address, and can try the choice
// before saving it.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>

#include "common/Handles.h"
#include "common/Window.h"
#include "core/services/ServiceForm.h"
#include "win/services/Credentials.h"
#include "win/services/ServiceTrial.h"

namespace velmora {

class ServiceWindow : public common::Window {
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
    void DeepLKey_Change();
    void LibreTranslateKey_Change();
    void RemoveDeepLKey_Click();
    void RemoveLibreTranslateKey_Click();
    void TryButton_Click();
    void Trial_Complete();
    void OkButton_Click();
    void CancelButton_Click();
    void Window_Unload();
    void CreateControls();
    void LayOut(UINT dpi);
    void OnCommand(int id, int code);

    [[nodiscard]] ServiceKind Choice() const;
    void SetChoice(ServiceKind kind);
    // A key field's state; the key typed into it never goes anywhere but into `store_` or a trial.
    [[nodiscard]] KeyField FieldOf(int textId, const KeyField& remembered) const;
    // The key the window stands for: the typed one, else the stored one unless its removal is asked for.
    [[nodiscard]] std::optional<SecretText> KeyFor(int textId, const KeyField& field, const wchar_t* target);
    [[nodiscard]] bool ApplyKey(int textId, const KeyField& field, const wchar_t* target);
    void RemoveKey(int textId, KeyField& field);
    void ShowKeyState();
    void ShowProblem(const FormProblem& problem);

    CredentialStore& store_;
    TrialFunction trial_;
    std::function<void()> closed_;
    KeyField deepL_;
    KeyField libre_;
    std::shared_ptr<Mailbox<TrialOutcome>> trialOutcome_;
    HWND focus_ = nullptr;
    common::UniqueFont font_;
};

}  // namespace velmora
