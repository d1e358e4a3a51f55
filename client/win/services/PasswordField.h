// The key fields of the service window: their text read into a wiped buffer, and overwritten before they go.
#pragma once
#include <windows.h>

#include "win/services/Secret.h"

namespace velmora {

// The field's text without the blanks a paste brings around it; the buffer it was read into is wiped.
[[nodiscard]] SecretText ReadPasswordField(HWND edit);
// Overwrites the field's text in place, then empties it and its undo buffer, so that the control frees no key.
void WipePasswordField(HWND edit);

}  // namespace velmora
