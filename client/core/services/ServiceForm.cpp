#include "core/services/ServiceForm.h"

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
        return L"入力したキーを OK で保存します。";
    }
    if (field.stored && field.removing) {
        return L"保存済みのキーを OK で削除します。";
    }
    if (field.stored) {
        return L"キーは保存済みです。入力すると置き換えます。";
    }
    return L"キーは保存されていません。";
}

std::optional<FormProblem> CheckServiceForm(ServiceKind kind, std::wstring_view url, bool deepLKey) {
    if (!url.empty() && !IsValidServiceUrl(url)) {
        return FormProblem{
            FormField::Url,
            L"LibreTranslate のサーバーの URL は http:// または https:// で始め、ホスト名を入れてください"
            L"（例: http://localhost:5000）。"};
    }
    if (kind == ServiceKind::LibreTranslate && url.empty()) {
        return FormProblem{
            FormField::Url,
            L"LibreTranslate を使うには、サーバーの URL を入力してください（例: http://localhost:5000）。"};
    }
    if (kind == ServiceKind::DeepL && !deepLKey) {
        return FormProblem{FormField::DeepLKey, L"DeepL API を使うには、DeepL の API キーを入力してください。"};
    }
    return std::nullopt;
}

}  // namespace velmora
