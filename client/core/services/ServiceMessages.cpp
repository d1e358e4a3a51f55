#include "core/services/ServiceMessages.h"

#include <initializer_list>

namespace velmora {
namespace {

constexpr std::u16string_view kWhere =
    u"スタートメニューの「Velmora\\翻訳サービスの設定」か、翻訳結果の吹き出しのメニューの「翻訳サービス...」";

// One report from its pieces; built this way rather than with chains of "+" to keep the program small.
std::u16string Join(std::initializer_list<std::u16string_view> pieces) {
    std::u16string text;
    for (std::u16string_view piece : pieces) {
        text.append(piece.data(), piece.size());
    }
    return text;
}

}  // namespace

std::u16string NoDeepLKeyText() {
    return Join({u"DeepL API のキーが登録されていません。", kWhere, u"でキーを入力してください。"});
}

std::u16string NoLibreUrlText(bool urlGiven) {
    return Join({urlGiven ? u"LibreTranslate のサーバーの URL が正しくありません（http:// か https:// で始まる URL "
                            u"が必要です）。"
                          : u"LibreTranslate のサーバーの URL が設定されていません。",
                 kWhere, u"で URL を入力してください。"});
}

std::u16string UnusableKeyText() {
    return Join({u"保存されている API キーに使えない文字（改行など）が含まれています。", kWhere,
                 u"でキーを入力し直してください。"});
}

std::u16string ServiceAnswerText(ApiKind api, int status, std::u16string_view serviceMessage) {
    const bool deepl = api == ApiKind::DeepL;
    const std::string digits = std::to_string(status);
    const std::u16string code = Join({u"（HTTP ", std::u16string(digits.begin(), digits.end()), u"）"});
    std::u16string text;
    if (status >= 200 && status <= 299) {
        text = u"翻訳サービスの応答を読み取れませんでした。";
    } else if (status >= 300 && status <= 399) {
        // An API answer that moves elsewhere is never followed: the text (and a key) would go to another address.
        text = Join({u"翻訳サービスが別のアドレスへ転送しようとしました", code,
                     u"。転送先には送りません。翻訳サービスの設定でアドレスを確かめてください。"});
    } else if (status == 403 && deepl) {
        text = Join({u"DeepL API がキーを受け付けませんでした", code,
                     u"。キーが正しいか、無料版のキー（末尾が「:fx」）を有料版の宛先に送っていないかを、", kWhere,
                     u"で確かめてください。"});
    } else if (status == 403) {
        text =
            Join({u"LibreTranslate がキーを受け付けませんでした", code, u"。", kWhere, u"でキーを確かめてください。"});
    } else if (status == 429) {
        text = Join({u"翻訳サービスへの要求が多すぎます", code, u"。しばらく待ってから、もう一度お試しください。"});
    } else if (status == 456 && deepl) {
        text = Join({u"DeepL API の今月の翻訳文字数の上限に達しました", code,
                     u"。来月まで待つか、DeepL のアカウントで利用状況を確かめてください。"});
    } else if (status >= 500 && status <= 599) {
        text = Join({u"翻訳サービスは今は利用できません", code, u"。しばらくしてから、もう一度お試しください。"});
    } else {
        text = Join({u"翻訳サービスがエラーを返しました", code, u"。"});
    }
    if (!serviceMessage.empty()) {
        text = Join({text, u"\n", serviceMessage});
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
