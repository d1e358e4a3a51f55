// The failure report of a service's answer: which sentence of core/Messages fits the status, and what the service
// said. The sentences themselves live in core/Messages.
#pragma once
#include <string>
#include <string_view>

#include "core/Messages.h"
#include "core/services/ServiceApi.h"

namespace velmora {

// An answer that carried no translation: the sentence for its status, then on a line of its own what the service
// said, when it said anything. A 2xx status here means the answer could not be read, 0 an error in the middle of a
// streamed answer.
[[nodiscard]] std::u16string ServiceAnswerText(ServiceKind service, int status, std::u16string_view serviceMessage);

// The own sentence of the services without an account and of Azure for a 429 (RefusedForNowText), else empty.
[[nodiscard]] std::u16string RefusedForNowStatusText(int status, std::u16string_view code);

// What every failure report of a request to `service` ends with, after a blank line: that the pages may be gone, or
// which service failed and where another is chosen; empty for the others.
[[nodiscard]] std::u16string FailureNote(ServiceKind service);

}  // namespace velmora
