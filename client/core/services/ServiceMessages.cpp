#include "core/services/ServiceMessages.h"

namespace velmora {
namespace {

// The sentence for a status that says the same whichever service answered.
std::u16string CommonStatusText(int status, std::u16string_view code) {
    if (status == 401 || status == 403) {
        return KeyRefusedText(code);
    }
    if (status == 429) {
        return TooManyRequestsText(code);
    }
    if (status >= 500 && status <= 599) {
        return ServiceUnavailableText(code);
    }
    return ServiceErrorText(code);
}

}  // namespace

std::u16string ServiceAnswerText(ServiceKind service, int status, std::u16string_view serviceMessage) {
    const std::u16string code = HttpCodeText(status);
    const auto own = RowOf(service).statusText;
    std::u16string text;
    if (status == 0) {
        text = kStreamErrorText;
    } else if (status >= 200 && status <= 299) {
        text = kAnswerNotUnderstoodText;
    } else if (status >= 300 && status <= 399) {
        // An API answer that moves elsewhere is never followed: the text (and a key) would go to another address.
        text = RedirectRefusedText(code);
    } else if (status == 407) {
        text = ProxyAuthText(code);
    } else if (text = own ? own(status, code) : std::u16string(); text.empty()) {
        text = CommonStatusText(status, code);
    }
    if (!serviceMessage.empty()) {
        text.append(u"\n").append(serviceMessage);
    }
    return text;
}

std::u16string RefusedForNowStatusText(int status, std::u16string_view code) {
    return status == 429 ? RefusedForNowText(code) : std::u16string();
}

std::u16string FailureNote(ServiceKind service) {
    if (service == ServiceKind::Page) {
        return std::u16string(PageMayHaveEndedText());
    }
    const ServiceRow& row = RowOf(service);
    return row.namedInReports ? ChooseAnotherServiceText(U16Of(row.name)) : std::u16string();
}

}  // namespace velmora
