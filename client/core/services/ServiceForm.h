// The service window's decisions, apart from its controls: what OK refuses, what happens to each key, and what the
// window says about a key.
#pragma once
#include <functional>
#include <optional>
#include <string_view>

#include "core/services/ServiceConfig.h"

namespace velmora {

// "/settings" (blanks after it allowed, as a hand-edited shortcut may carry them) opens the service window alone.
[[nodiscard]] bool IsServiceWindowStart(std::wstring_view argumentText);

// The text without the blanks and line breaks a paste brings around it, the invisible ones of web pages included
// (no-break space, zero-width space, byte-order mark).
[[nodiscard]] std::wstring_view TrimBlanks(std::wstring_view text);

// One key field: whether a key is stored, whether the user has typed one, whether the user asked for its removal.
struct KeyField {
    bool stored = false;
    bool typed = false;
    bool removing = false;
};
// What OK does with the stored key. A typed key replaces it; a removal asked for (and not typed over) removes it.
enum class KeyAction { Keep, Replace, Remove };
[[nodiscard]] KeyAction ChooseKeyAction(const KeyField& field);
// Whether a key will be there once OK has saved.
[[nodiscard]] bool HasKeyAfterSave(const KeyField& field);
// The line under the field: a stored key is never shown, only said to be there.
[[nodiscard]] std::wstring_view KeyStatusText(const KeyField& field);

// A key the APIs can take in a header: printable ASCII, no blanks. Anything else is a paste gone wrong.
[[nodiscard]] bool IsUsableKey(std::wstring_view key);

// Which service's field a refusal is about, so that the window can put the focus there.
struct FormProblem {
    ServiceKind service = ServiceKind::Page;
    Field field = Field::None;
    std::wstring_view text;
};
// What the window holds: the chosen service and every service's values, texts already trimmed, and whether a
// service will have a key once OK has saved.
struct ServiceFormInput {
    const ServiceSettings& settings;
    std::function<bool(ServiceKind)> keyAfterSave;
};
// Why OK (or "試す") cannot go on with this choice, or nothing when it can. A URL that is given must be valid
// whatever is chosen, since it is saved; the chosen service needs what its row says it cannot do without (an
// address, a key, a model name).
[[nodiscard]] std::optional<FormProblem> CheckServiceForm(const ServiceFormInput& input);

// Why a key may not go to `url`: it was saved for another server (`savedFor`, an origin as UrlOrigin gives it;
// empty for a key typed now, which is meant for this URL), or it would cross the network without TLS. Nothing when
// it may.
[[nodiscard]] std::optional<std::wstring_view> KeyDestinationProblem(std::wstring_view url, std::wstring_view savedFor);

}  // namespace velmora
