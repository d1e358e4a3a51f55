#include "win/services/PasswordField.h"

#include <string>

#include "core/services/ServiceForm.h"

namespace velmora {

SecretText ReadPasswordField(HWND edit) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    const std::wstring_view trimmed = TrimBlanks(text);
    SecretText key(trimmed.data(), trimmed.size());
    WipeString(text);
    return key;
}

void WipePasswordField(HWND edit) {
    const int length = GetWindowTextLengthW(edit);
    if (length > 0) {
        SetWindowTextW(edit, std::wstring(static_cast<size_t>(length), L' ').c_str());
    }
    SetWindowTextW(edit, L"");
    SendMessageW(edit, EM_EMPTYUNDOBUFFER, 0, 0);
}

}  // namespace velmora
