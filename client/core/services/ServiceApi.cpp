#include "core/services/ServiceApi.h"

#include "core/text/Utf16.h"

namespace velmora {

std::optional<LanguagePair> LanguagesOfCode(std::u16string_view code) {
    const RequestKind* kind = FindRequest(code);
    return kind ? std::optional(kind->languages) : std::nullopt;
}

std::size_t FittingApiLength(ServiceKind service, std::u16string_view text) {
    // The body's other fields and a key take far less than this; a model's instruction takes up to 256 more.
    constexpr std::size_t kRoom = 512;
    const ServiceRow& row = RowOf(service);
    const std::size_t limit = row.bodyLimit - kRoom - (row.kind == ServiceKind::Chat ? 256 : 0);
    const LanguagePair pair{u"EN", u"JA"};
    auto fits = [&](std::size_t length) { return DeepLBody(text.substr(0, length), pair).size() <= limit; };
    // A longer start never makes a shorter body.
    return LongestFittingStart(text, fits);
}

std::optional<ApiTranslation> AnswerOf(ServiceKind service, std::string_view body) {
    const ServiceRow& row = RowOf(service);
    return row.answer ? row.answer(body) : std::nullopt;
}

std::optional<std::u16string> TranslationOfAnswer(ServiceKind service, std::string_view body) {
    if (auto answer = AnswerOf(service, body)) {
        return std::move(answer->text);
    }
    return std::nullopt;
}

std::u16string ServiceMessageOfAnswer(ServiceKind service, std::string_view body) {
    const ServiceRow& row = RowOf(service);
    std::u16string text = row.said ? row.said(body) : std::u16string();
    // Line breaks and other control characters would break the box's layout; blanks keep the words apart.
    for (char16_t& c : text) {
        if (c < 0x20 || c == 0x7F) {
            c = u' ';
        }
    }
    if (text.size() > kServiceMessageLimit) {
        text.resize(CutOutsidePair(text, kServiceMessageLimit));  // never half a surrogate pair
        text += u"…";
    }
    return text;
}

std::u16string RestoreScriptLineBreaks(std::u16string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, 3) == u"%0D") {
            out += u'\n';
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace velmora
