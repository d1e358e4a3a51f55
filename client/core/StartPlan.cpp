#include "core/StartPlan.h"

#include "core/Messages.h"
#include "core/pages/UrlEncode.h"
#include "core/selection/Direction.h"
#include "core/services/RequestLimit.h"
#include "core/services/ServiceApi.h"

namespace velmora {
namespace {

StartPlan Box(StartPlan plan, std::u16string text, bool warning = false) {
    plan.step = StartStep::Box;
    plan.boxText = std::move(text);
    plan.warning = warning;
    return plan;
}

// A text the service could not take ends here, before any request, with how much of it (`fits` units) would fit.
std::optional<std::u16string> TooLong(std::u16string_view text, std::size_t fits) {
    if (fits == text.size()) {
        return std::nullopt;
    }
    return U16Of(SelectionTooLongText(CharacterCount(text), CharacterCount(text.substr(0, fits))));
}

StartPlan PlanApi(StartPlan plan, const StartInput& input) {
    // The browser menu marks the line breaks of the command line's text; the API gets them back as they were.
    plan.text = input.selection ? plan.text : RestoreScriptLineBreaks(plan.text);
    if (auto sentence = TooLong(plan.text, FittingApiLength(input.service, plan.text))) {
        return Box(std::move(plan), std::move(*sentence));
    }
    plan.step = StartStep::Api;
    plan.pair = plan.autoPair.value_or(plan.kind->languages);
    return plan;
}

StartPlan PlanPage(StartPlan plan, const StartInput& input) {
    if (auto sentence = TooLong(plan.text, FittingLength(*plan.kind, plan.text, input.hosts))) {
        return Box(std::move(plan), std::move(*sentence));
    }
    if (plan.kind->encodeText) {
        plan.text = UrlEncodeUtf8(plan.text);
    }
    plan.url = BuildRequestUrl(*plan.kind, plan.text, input.hosts);
    plan.step = StartStep::Page;
    return plan;
}

}  // namespace

bool ReadsSelection(std::u16string_view argumentText) {
    return SelectionStartCode(argumentText).has_value();
}

StartPlan PlanStart(const StartInput& input) {
    StartPlan plan;
    plan.argumentText = input.argumentText;
    // A selection start goes on as if the code had come with the selected text on the command line.
    if (const auto code = SelectionStartCode(input.argumentText)) {
        const SelectionRead read = input.selection.value_or(SelectionRead{});
        if (!read.text) {
            return Box(std::move(plan), std::u16string(RefusalText(read.refusal)));
        }
        const std::u16string_view chosen = *code == kAutoDirection ? DirectionCode(*read.text) : *code;
        plan.argumentText = std::u16string(chosen) + *read.text;
        // A service that finds the language itself takes any text to Japanese (the code still names the request).
        if (*code == kAutoDirection && input.service != ServiceKind::Page && RowOf(input.service).detectsSource) {
            plan.autoPair = ServiceDirectionOf(*read.text).languages;
        }
    }
    const std::u16string& text = plan.argumentText;
    if (text.empty()) {
        return Box(std::move(plan), U16Of(kNoArgumentText), true);
    }
    if (text == u"EJhnA" || text == u"JEhnA") {
        return Box(std::move(plan), kSelectTextText);
    }
    plan.code = text.substr(0, 5);
    plan.text = text.size() > 5 ? text.substr(5) : std::u16string();
    plan.kind = FindRequest(plan.code);
    if (!plan.kind) {
        return plan;
    }
    return input.service != ServiceKind::Page ? PlanApi(std::move(plan), input) : PlanPage(std::move(plan), input);
}

}  // namespace velmora
