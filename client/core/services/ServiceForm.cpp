#include "core/services/ServiceForm.h"

#include "core/Messages.h"

namespace velmora {
namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == 0x3000;
}

}  // namespace

bool IsServiceWindowStart(std::wstring_view argumentText) {
    constexpr std::wstring_view kSwitch = L"/settings";
    return argumentText.starts_with(kSwitch) && TrimBlanks(argumentText.substr(kSwitch.size())).empty();
}

std::wstring_view TrimBlanks(std::wstring_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

KeyAction ChooseKeyAction(const KeyField& field) {
    if (field.typed) {
        return KeyAction::Replace;
    }
    return field.removing && field.stored ? KeyAction::Remove : KeyAction::Keep;
}

bool HasKeyAfterSave(const KeyField& field) {
    return field.typed || (field.stored && !field.removing);
}

std::wstring_view KeyStatusText(const KeyField& field) {
    if (field.typed) {
        return kKeyTypedText;
    }
    if (field.stored && field.removing) {
        return kKeyRemovedOnOkText;
    }
    if (field.stored) {
        return kKeyStoredText;
    }
    return kNoKeyStoredText;
}

std::optional<FormProblem> CheckServiceForm(ServiceKind kind, std::wstring_view url, bool deepLKey) {
    if (!url.empty() && !IsValidServiceUrl(url)) {
        return FormProblem{FormField::Url, kBadLibreUrlText};
    }
    if (kind == ServiceKind::LibreTranslate && url.empty()) {
        return FormProblem{FormField::Url, kLibreUrlMissingText};
    }
    if (kind == ServiceKind::DeepL && !deepLKey) {
        return FormProblem{FormField::DeepLKey, kDeepLKeyMissingText};
    }
    return std::nullopt;
}

}  // namespace velmora
