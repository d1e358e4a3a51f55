#include "core/ServiceMessages.h"

namespace velmora {
namespace {

constexpr std::u16string_view kWhere =
    u"スタートメニューの「Velmora\\翻訳サービスの設定」か、翻訳結果の吹き出しのメニューの「翻訳サービス...」";

std::u16string Status(int status) {
    std::string digits = std::to_string(status);
    return u"（HTTP " + std::u16string(digits.begin(), digits.end()) + u"）";
}

}  // namespace

std::u16string NoDeepLKeyText() {
    return u"DeepL API のキーが登録されていません。" + std::u16string(kWhere) + u"でキーを入力してください。";
}

std::u16string NoLibreUrlText(bool urlGiven) {
    return (urlGiven ? u"LibreTranslate のサーバーの URL が正しくありません（http:// か https:// で始まる URL "
                       u"が必要です）。"
                     : u"LibreTranslate のサーバーの URL が設定されていません。") +
           std::u16string(kWhere) + u"で URL を入力してください。";
}

std::u16string ServiceAnswerText(ApiKind api, int status, std::u16string_view serviceMessage) {
    const bool deepl = api == ApiKind::DeepL;
    std::u16string text;
    if (status >= 200 && status <= 299) {
        text = u"翻訳サービスの応答を読み取れませんでした。";
    } else if (status >= 300 && status <= 399) {
        // An API answer that moves elsewhere is never followed: the text (and a key) would go to another address.
        text = u"翻訳サービスが別のアドレスへ転送しようとしました" + Status(status) +
               u"。転送先には送りません。翻訳サービスの設定でアドレスを確かめてください。";
    } else if (status == 403) {
        text = deepl ? u"DeepL API がキーを受け付けませんでした" + Status(status) +
                           u"。キーが正しいか、無料版のキー（末尾が「:fx」）を有料版の宛先に送っていないかを、" +
                           std::u16string(kWhere) + u"で確かめてください。"
                     : u"LibreTranslate がキーを受け付けませんでした" + Status(status) + u"。" +
                           std::u16string(kWhere) + u"でキーを確かめてください。";
    } else if (status == 429) {
        text = u"翻訳サービスへの要求が多すぎます" + Status(status) + u"。しばらく待ってから、もう一度お試しください。";
    } else if (status == 456 && deepl) {
        text = u"DeepL API の今月の翻訳文字数の上限に達しました" + Status(status) +
               u"。来月まで待つか、DeepL のアカウントで利用状況を確かめてください。";
    } else if (status >= 500 && status <= 599) {
        text = u"翻訳サービスは今は利用できません" + Status(status) + u"。しばらくしてから、もう一度お試しください。";
    } else {
        text = u"翻訳サービスがエラーを返しました" + Status(status) + u"。";
    }
    if (!serviceMessage.empty()) {
        text += u"\n";
        text += serviceMessage;
    }
    return text;
}

std::u16string ServiceTooLongText() {
    return u"選択した文字列が長すぎて、翻訳サービスに一度に送れません。短く区切ってから翻訳してください。";
}

std::u16string_view PageMayHaveEndedText() {
    return u"Excite と infoseek の翻訳ページは終了したか、変わった可能性があります。スタートメニューの"
           u"「Velmora\\翻訳サービスの設定」で DeepL API か LibreTranslate を選ぶことができます。";
}

}  // namespace velmora
