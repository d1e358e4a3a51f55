#include "core/services/ServiceForm.h"

#include <algorithm>

#include "core/Messages.h"
#include "core/services/Azure.h"

namespace velmora {
namespace {

bool IsBlank(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == 0x3000 || c == 0xA0 || c == 0x200B ||
           c == 0xFEFF;
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

bool IsUsableKey(std::wstring_view key) {
    return std::all_of(key.begin(), key.end(), [](wchar_t c) { return c > L' ' && c < 0x7F; });
}

std::optional<FormProblem> CheckServiceForm(const ServiceFormInput& input) {
    for (const ServiceRow& row : AllServices()) {
        if (row.url && !(input.settings.*row.url).empty() && !IsValidServiceUrl(input.settings.*row.url)) {
            return FormProblem{row.kind, Field::Url, row.badUrlText};
        }
        // A region goes into a header as it is: only the letters, digits and hyphens a region's name has.
        if (row.region && !IsValidAzureRegion(input.settings.*row.region)) {
            return FormProblem{row.kind, Field::Region, row.badRegionText};
        }
    }
    const ServiceRow& chosen = RowOf(input.settings.kind);
    if (chosen.url && (input.settings.*chosen.url).empty()) {
        return FormProblem{chosen.kind, Field::Url, chosen.missingUrlText};
    }
    if (chosen.missingKeyText && !(input.keyAfterSave && input.keyAfterSave(chosen.kind))) {
        return FormProblem{chosen.kind, Field::Key, chosen.missingKeyText};
    }
    if (chosen.model && (input.settings.*chosen.model).empty()) {
        return FormProblem{chosen.kind, Field::Model, chosen.missingModelText};
    }
    return std::nullopt;
}

std::optional<std::wstring_view> KeyDestinationProblem(std::wstring_view url, std::wstring_view savedFor) {
    if (!savedFor.empty() && savedFor != UrlOrigin(url)) {
        return kKeyForAnotherServerText;
    }
    const bool tls = url.size() > 5 && (url[4] == L's' || url[4] == L'S');
    if (!tls && !IsLoopbackHost(UrlHost(url))) {
        return kKeyWithoutTlsText;
    }
    return std::nullopt;
}

}  // namespace velmora
