#include "core/services/ServiceMessages.h"

namespace velmora {

std::u16string ServiceAnswerText(ApiKind api, int status, std::u16string_view serviceMessage) {
    const bool deepl = api == ApiKind::DeepL;
    const std::u16string code = HttpCodeText(status);
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
    } else if (status == 403 && deepl) {
        text = DeepLKeyRefusedText(code);
    } else if (status == 403 && api == ApiKind::LibreTranslate) {
        text = LibreKeyRefusedText(code);
    } else if (status == 401 || status == 403) {
        text = KeyRefusedText(code);
    } else if (status == 404 && api == ApiKind::Chat) {
        text = ModelNotFoundText(code);
    } else if (status == 429) {
        text = TooManyRequestsText(code);
    } else if (status == 456 && deepl) {
        text = DeepLQuotaText(code);
    } else if (status >= 500 && status <= 599) {
        text = ServiceUnavailableText(code);
    } else {
        text = ServiceErrorText(code);
    }
    if (!serviceMessage.empty()) {
        text.append(u"\n").append(serviceMessage);
    }
    return text;
}

}  // namespace velmora
