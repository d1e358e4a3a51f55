// What a start of the client asks for, decided before any window or request: a box and the end, the end alone, a
// page request or an API request. The program carries out the plan; the tests drive it natively.
#pragma once
#include <optional>
#include <string>

#include "core/pages/Request.h"
#include "core/selection/Selection.h"
#include "core/services/Services.h"

namespace velmora {

struct StartInput {
    std::u16string argumentText;          // the command line's argument text, as received
    std::optional<SelectionRead> selection;  // what a selection start read ("/selection CODE"); none otherwise
    ServiceKind service = ServiceKind::Page;
    ServiceHosts hosts;
};

enum class StartStep {
    End,  // nothing was asked for, and no window exists that could end the client later
    Box,  // the box says why nothing is sent, then the client ends
    Page,
    Api,
};

struct StartPlan {
    StartStep step = StartStep::End;
    std::u16string boxText;
    bool warning = false;  // the box is the "警告" with the stop icon; otherwise "注意" with the exclamation mark
    std::u16string argumentText;  // the argument text, or the code and the selection when a selection was read
    std::u16string code;          // the request code, and the text after it
    std::u16string text;          // a page: as it goes into the URL; an API: as it goes into the body
    const RequestKind* kind = nullptr;
    std::u16string url;  // a page's request URL
    LanguagePair pair;   // an API's languages; an empty source is left to the service
    std::optional<LanguagePair> autoPair;  // "/selection auto" with a service that finds the language
};

// Whether the start is a selection start, so that the program reads the selection before planning.
[[nodiscard]] bool ReadsSelection(std::u16string_view argumentText);

[[nodiscard]] StartPlan PlanStart(const StartInput& input);

}  // namespace velmora
