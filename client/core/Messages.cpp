#include "core/Messages.h"

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

std::wstring SelectionTooLongText(std::size_t selected, std::size_t fitting) {
    return L"選択範囲が長すぎます（" + std::to_wstring(selected) + L" 文字）。この文章で一度に翻訳できるのは " +
           std::to_wstring(fitting) + L" 文字までです。短く選択し直してください";
}

std::wstring NoAnswerWithinText(unsigned long seconds) {
    return L"翻訳サービスが " + std::to_wstring(seconds) + L" 秒以内に応答しませんでした。";
}

std::wstring BodyCutShortText(std::wstring_view body) {
    return std::wstring(body) + L"を最後まで受け取れませんでした。";
}

std::wstring BodyCutShortText(std::wstring_view body, std::size_t received, std::wstring_view expected) {
    return std::wstring(body) + L"を最後まで受け取れませんでした（" + std::to_wstring(received) + L" / " +
           std::wstring(expected) + L" バイト）。";
}

std::wstring BodyTooLargeText(std::wstring_view body) {
    return std::wstring(body) + L"が大きすぎます。";
}

std::wstring RedirectNotReadText(unsigned long status) {
    return L"翻訳サービスの転送先が読めませんでした（HTTP " + std::to_wstring(status) + L"）。";
}

std::wstring PageErrorText(unsigned long status) {
    return L"翻訳サービスがエラーを返しました（HTTP " + std::to_wstring(status) + L"）。";
}

// "DeepL の", but "言語モデルの": a blank only after a Latin name.
static std::wstring KeysOf(std::wstring_view service) {
    return std::wstring(service) + (!service.empty() && service.back() < 0x80 ? L" の" : L"の");
}

std::wstring KeyNotSavedText(std::wstring_view service) {
    return KeysOf(service) + L" API キーを Windows の資格情報マネージャーに保存できませんでした。";
}

std::wstring KeyNotRemovedText(std::wstring_view service) {
    return KeysOf(service) + L" API キーを Windows の資格情報マネージャーから削除できませんでした。";
}

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

std::u16string NoChatModelText() {
    return Join({u"言語モデルのモデル名が設定されていません。", kWhere, u"でモデル名を入力してください。"});
}

std::u16string NoChatUrlText() {
    return Join({u"言語モデルのサーバーの URL が正しくありません（http:// か https:// で始まる URL が必要です）。",
                 kWhere, u"で URL を入力してください。"});
}

std::u16string EmptyTranslationText() {
    return u"翻訳サービスが空の翻訳を返しました。もう一度お試しいただくか、別のモデルを選んでください。";
}

std::u16string LocalServerDownText(std::u16string_view url) {
    return Join({u"ローカルの翻訳サーバー（Ollama など）が起動していないようです（", url,
                 u" に接続できませんでした）。サーバーを起動してから、もう一度お試しください。"});
}

std::u16string ServiceTooLongText() {
    return u"選択した文字列が長すぎて、翻訳サービスに一度に送れません。短く区切ってから翻訳してください。";
}

std::u16string HttpCodeText(int status) {
    const std::string digits = std::to_string(status);
    return Join({u"（HTTP ", std::u16string(digits.begin(), digits.end()), u"）"});
}

std::u16string RedirectRefusedText(std::u16string_view code) {
    return Join({u"翻訳サービスが別のアドレスへ転送しようとしました", code,
                 u"。転送先には送りません。翻訳サービスの設定でアドレスを確かめてください。"});
}

std::u16string DeepLKeyRefusedText(std::u16string_view code) {
    // A free key without its ":fx" goes to the paid host, which refuses it just as a wrong key.
    return Join({u"DeepL API がキーを受け付けませんでした", code,
                 u"。キーが末尾の「:fx」まで正しく入力されているかを、", kWhere, u"で確かめてください。"});
}

std::u16string LibreKeyRefusedText(std::u16string_view code) {
    return Join({u"LibreTranslate がキーを受け付けませんでした", code, u"。", kWhere, u"でキーを確かめてください。"});
}

std::u16string KeyRefusedText(std::u16string_view code) {
    return Join({u"翻訳サービスがキーを受け付けませんでした", code, u"。", kWhere, u"でキーを確かめてください。"});
}

std::u16string ModelNotFoundText(std::u16string_view code) {
    return Join({u"翻訳サービスにモデルかアドレスが見つかりませんでした", code, u"。", kWhere,
                 u"でモデル名と URL を確かめてください（Ollama では、使うモデルを先に取得しておく必要があります）。"});
}

std::u16string ProxyAuthText(std::u16string_view code) {
    return Join({u"プロキシ サーバーが認証を求めたため、翻訳サービスに届きませんでした", code,
                 u"。Windows のプロキシの設定を確かめてください。"});
}

std::u16string TooManyRequestsText(std::u16string_view code) {
    return Join({u"翻訳サービスへの要求が多すぎます", code, u"。しばらく待ってから、もう一度お試しください。"});
}

std::u16string DeepLQuotaText(std::u16string_view code) {
    return Join({u"DeepL API の今月の翻訳文字数の上限に達しました", code,
                 u"。来月まで待つか、DeepL のアカウントで利用状況を確かめてください。"});
}

std::u16string ServiceUnavailableText(std::u16string_view code) {
    return Join({u"翻訳サービスは今は利用できません", code, u"。しばらくしてから、もう一度お試しください。"});
}

std::u16string ServiceErrorText(std::u16string_view code) {
    return Join({u"翻訳サービスがエラーを返しました", code, u"。"});
}

std::u16string_view PageMayHaveEndedText() {
    return u"Excite と infoseek の翻訳ページは終了したか、変わった可能性があります。スタートメニューの"
           u"「Velmora\\翻訳サービスの設定」で、アカウント不要の Google 翻訳などほかの翻訳サービスを選ぶことができます。";
}

std::u16string RefusedForNowText(std::u16string_view code) {
    return Join({u"翻訳サービスへの要求が多すぎるため、今は翻訳を断られています", code,
                 u"。しばらく待ってからもう一度お試しいただくか、別の翻訳サービスを選んでください。"});
}

std::u16string NoAzureKeyText() {
    return Join({u"Azure Translator の API キーが登録されていません。", kWhere, u"でキーを入力してください。"});
}

std::u16string BadAzureRegionText() {
    return Join({u"Azure Translator のリージョンが正しくありません（半角の英数字とハイフンだけです。例: japaneast）。",
                 kWhere, u"でリージョンを確かめてください。"});
}

std::u16string AzureKeyRefusedText(std::u16string_view code) {
    // A regional resource's key is refused without its region, or with another.
    return Join({u"Azure Translator がキーを受け付けませんでした", code, u"。キーと、リソースのリージョンが正しいかを、",
                 kWhere, u"で確かめてください。"});
}

std::u16string ChooseAnotherServiceText(std::u16string_view service) {
    return Join({u"使った翻訳サービス: ", service,
                 u"。別の翻訳サービスは、スタートメニューの「Velmora\\翻訳サービスの設定」で選べます。"});
}

}  // namespace velmora
