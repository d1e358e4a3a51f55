// Every sentence the client shows a user: boxes, window and menu texts, failure reports. In one place so that the
// guide's list of messages can be checked against this file, and so that a window never words a sentence itself.
// Wide texts go to the windows as they are; UTF-16 ones are also put together or chosen by the portable code.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace velmora {

// Box titles.
inline constexpr wchar_t kCautionTitle[] = L"注意";
inline constexpr wchar_t kWarningTitle[] = L"警告";

// The start: no argument, no selection, a selection too long for the request's URL (characters as a user counts
// them: `fitting` of the `selected`).
inline constexpr wchar_t kNoArgumentText[] = L"引数が指定されてません、きちんとインストールしてください。";
inline constexpr char16_t kSelectTextText[] = u"範囲を選択してください";
[[nodiscard]] std::wstring SelectionTooLongText(std::size_t selected, std::size_t fitting);

// Why the selection could not be read.
inline constexpr char16_t kKeysHeldText[] = u"キーから手を離してから、もう一度ショートカットキーを押してください";
inline constexpr char16_t kHigherIntegrityText[] =
    u"管理者として実行中のソフトの選択範囲は読み取れません。文章をメモ帳などにコピーしてから選択してください";
inline constexpr char16_t kClipboardNotSavedText[] = u"クリップボードの内容を失わずに選択範囲を読み取れませんでした";
inline constexpr char16_t kOtherStartBusyText[] =
    u"ほかの翻訳が選択範囲を読み取っています。少し待ってから、もう一度試してください";

// Putting the translation in place of the selection: the popup's menu item, and why it was not done (a terminal
// and a password box share their sentence; another start at the clipboard has the one above).
inline constexpr wchar_t kReplaceMenuText[] = L"選択範囲と置き換える(&R)";
inline constexpr char16_t kReplaceTargetGoneText[] =
    u"選択範囲のあったウィンドウが閉じられたため、置き換えられませんでした";
inline constexpr char16_t kReplaceNotInFrontText[] =
    u"選択範囲のあったウィンドウを前面に出せなかったため、置き換えませんでした";
inline constexpr char16_t kReplaceRefusedHereText[] =
    u"端末ソフトとパスワードの欄では置き換えません。訳文はメニューの「クリップボードにコピー」でコピーしてください";
inline constexpr char16_t kReplaceHigherIntegrityText[] = u"管理者として実行中のソフトの選択範囲は置き換えられません";
inline constexpr char16_t kReplaceKeysHeldText[] = u"キーから手を離してから、もう一度置き換えてください";
inline constexpr char16_t kReplaceClipboardNotSavedText[] =
    u"クリップボードの内容を失わずに置き換えられませんでした";
inline constexpr char16_t kReplaceNotTakenText[] =
    u"選択範囲のあったソフトが 2 秒のうちに訳文を受け取りませんでした。クリップボードは元に戻しました";

// Failure reports of a request.
inline constexpr wchar_t kCannotStartText[] = L"翻訳の処理を開始できませんでした。";
inline constexpr wchar_t kPageNotLoadedText[] = L"翻訳ページを読み込めませんでした。";
inline constexpr wchar_t kPageLoadNotStartedText[] = L"翻訳ページの読み込みを開始できませんでした。";
inline constexpr wchar_t kResultNotFoundText[] =
    L"翻訳結果をページから取り出せませんでした。翻訳サービスのページが変わった可能性があります。";
inline constexpr wchar_t kPopupNotOpenedText[] = L"翻訳結果の窓を開けませんでした。";
inline constexpr wchar_t kClosedMidwayText[] = L"翻訳の処理が途中で閉じられました。";
[[nodiscard]] std::wstring NoAnswerWithinText(unsigned long seconds);

// Failures of the transfer. A body is named by what it is: the page, or the service's answer.
inline constexpr wchar_t kPageBodyName[] = L"翻訳ページ";
inline constexpr wchar_t kAnswerBodyName[] = L"翻訳サービスの応答";
[[nodiscard]] std::wstring BodyCutShortText(std::wstring_view body);
[[nodiscard]] std::wstring BodyCutShortText(std::wstring_view body, std::size_t received, std::wstring_view expected);
[[nodiscard]] std::wstring BodyTooLargeText(std::wstring_view body);
inline constexpr wchar_t kNoInternetText[] = L"インターネットの機能を使えませんでした。";
inline constexpr wchar_t kBadServiceAddressText[] = L"翻訳サービスのアドレスが正しくありません。";
inline constexpr wchar_t kCannotConnectText[] = L"翻訳サービスに接続できませんでした。";
inline constexpr wchar_t kCertificateRefusedText[] =
    L"翻訳サービスの証明書を確かめられなかったため、接続しませんでした。";
// The channel error is a TLS handshake that found no version both sides speak, not a certificate problem.
inline constexpr wchar_t kTlsChannelText[] =
    L"翻訳サービスと暗号化した接続を始められませんでした。Windows で TLS 1.2 が有効になっているかを確かめてください。";
inline constexpr wchar_t kAnswerNotReadText[] = L"翻訳サービスの応答が読めませんでした。";
inline constexpr wchar_t kTooManyRedirectsText[] = L"翻訳サービスの転送が多すぎます。";
[[nodiscard]] std::wstring RedirectNotReadText(unsigned long status);
[[nodiscard]] std::wstring PageErrorText(unsigned long status);
// WinINet's two revocation errors: the list or responder that tells whether the certificate was withdrawn could not
// be reached, or (as WinINet also reports it) the certificate's issuer could not be found. Common with a private CA.
inline constexpr wchar_t kCertificateRevocationUnknownText[] =
    L"翻訳サービスの証明書を確かめられなかったため、接続しませんでした。証明書が失効していないか、または発行元の"
    L"認証局を確かめられませんでした。社内などで作った認証局（プライベート CA）の証明書を使うサーバーでよく起きます。";

// Reports of the translation services (API). `code` is "（HTTP 403）" and the like.
[[nodiscard]] std::u16string NoDeepLKeyText();
[[nodiscard]] std::u16string NoLibreUrlText(bool urlGiven);
[[nodiscard]] std::u16string UnusableKeyText();
// The chat service: no model named, or an address that is not http/https.
[[nodiscard]] std::u16string NoChatModelText();
[[nodiscard]] std::u16string NoChatUrlText();
// A complete answer with nothing in it.
[[nodiscard]] std::u16string EmptyTranslationText();
// A complete answer that was only a model's thinking, never ended: it stopped before it wrote the translation.
inline constexpr char16_t kThoughtOnlyText[] =
    u"モデルは考えただけで、訳文を返しませんでした。もう一度お試しいただくか、別のモデルを選んでください。";
// A refused connection to a server on this computer: most likely it is not running. `url` is where it was asked.
[[nodiscard]] std::u16string LocalServerDownText(std::u16string_view url);
[[nodiscard]] std::u16string ServiceTooLongText();
inline constexpr char16_t kAnswerNotUnderstoodText[] = u"翻訳サービスの応答を読み取れませんでした。";
[[nodiscard]] std::u16string HttpCodeText(int status);
[[nodiscard]] std::u16string RedirectRefusedText(std::u16string_view code);
[[nodiscard]] std::u16string DeepLKeyRefusedText(std::u16string_view code);
[[nodiscard]] std::u16string LibreKeyRefusedText(std::u16string_view code);
[[nodiscard]] std::u16string KeyRefusedText(std::u16string_view code);
[[nodiscard]] std::u16string ModelNotFoundText(std::u16string_view code);
[[nodiscard]] std::u16string ProxyAuthText(std::u16string_view code);
inline constexpr char16_t kStreamErrorText[] = u"翻訳サービスが翻訳の途中でエラーを返しました。";
[[nodiscard]] std::u16string TooManyRequestsText(std::u16string_view code);
[[nodiscard]] std::u16string DeepLQuotaText(std::u16string_view code);
[[nodiscard]] std::u16string ServiceUnavailableText(std::u16string_view code);
[[nodiscard]] std::u16string ServiceErrorText(std::u16string_view code);
// Added after a blank line to every failure report of a page request: the pages may be gone, and where to choose a
// service that works.
[[nodiscard]] std::u16string_view PageMayHaveEndedText();
// The services without an account and Azure Translator. A 429 of theirs: refused for now, for too many requests.
[[nodiscard]] std::u16string RefusedForNowText(std::u16string_view code);
[[nodiscard]] std::u16string NoAzureKeyText();
[[nodiscard]] std::u16string BadAzureRegionText();
[[nodiscard]] std::u16string AzureKeyRefusedText(std::u16string_view code);
// Added after a blank line to every failure report of these services: which one failed, and where to choose another.
// `service` is its name in the window ("Google 翻訳").
[[nodiscard]] std::u16string ChooseAnotherServiceText(std::u16string_view service);

// The bubbles.
inline constexpr wchar_t kPendingText[] = L"翻訳中…";
inline constexpr wchar_t kResultTitle[] = L"翻訳結果";

// The popup's menu and the colour settings window.
inline constexpr wchar_t kCopyMenuText[] = L"クリップボードにコピー";
inline constexpr wchar_t kSettingsText[] = L"設定";  // the menu item and the window's title
inline constexpr wchar_t kServiceMenuText[] = L"翻訳サービス...";
inline constexpr wchar_t kCloseMenuText[] = L"閉じる";
inline constexpr wchar_t kOkText[] = L"OK";
inline constexpr wchar_t kCancelText[] = L"キャンセル";
inline constexpr wchar_t kBackgroundColorText[] = L"背景色";
inline constexpr wchar_t kTextColorText[] = L"文字色";
inline constexpr wchar_t kCopyFailedText[] = L"クリップボードにコピーできませんでした。";
inline constexpr wchar_t kServiceWindowFailedText[] = L"翻訳サービスの窓を開けませんでした。";
inline constexpr wchar_t kColorsNotSavedText[] = L"色の設定を保存できませんでした。";

// The service window.
inline constexpr wchar_t kServiceWindowTitle[] = L"翻訳サービス";
inline constexpr wchar_t kServiceFrameText[] = L"使う翻訳サービス";
inline constexpr wchar_t kPagesOptionText[] = L"翻訳ページ（依頼コードのとおり Excite / infoseek）(&P)";
inline constexpr wchar_t kDeepLOptionText[] = L"DeepL API(&D)";
inline constexpr wchar_t kLibreTranslateOptionText[] = L"LibreTranslate(&L)";
inline constexpr wchar_t kDeepLFrameText[] = L"DeepL API";
inline constexpr wchar_t kDeepLKeyLabelText[] = L"API キー(&K):";
inline constexpr wchar_t kRemoveDeepLKeyText[] = L"キーを削除(&E)";
inline constexpr wchar_t kLibreTranslateFrameText[] = L"LibreTranslate";
inline constexpr wchar_t kLibreTranslateUrlLabelText[] = L"サーバーの URL(&U):";
inline constexpr wchar_t kLibreTranslateKeyLabelText[] = L"API キー（任意）(&Y):";
inline constexpr wchar_t kRemoveLibreTranslateKeyText[] = L"キーを削除(&Z)";
inline constexpr wchar_t kChatOptionText[] = L"言語モデル（OpenAI 互換の API。Ollama など）(&M)";
inline constexpr wchar_t kChatFrameText[] = L"言語モデル";
inline constexpr wchar_t kChatUrlLabelText[] = L"サーバーの URL(&R):";
inline constexpr wchar_t kChatModelLabelText[] = L"モデル(&O):";
inline constexpr wchar_t kChatKeyLabelText[] = L"API キー（任意）(&I):";
inline constexpr wchar_t kRemoveChatKeyText[] = L"キーを削除(&X)";
inline constexpr wchar_t kTryText[] = L"試す(&T)";
inline constexpr wchar_t kPagesNotTriedText[] = L"翻訳ページは試せません。ほかの翻訳サービスを選んでください。";
inline constexpr wchar_t kTrialNotStartedText[] = L"翻訳を試せませんでした。";
inline constexpr wchar_t kTrialRunningText[] = L"翻訳しています…";
inline constexpr wchar_t kTrialAnswerPrefix[] = L"Hello → ";
// `service` names whose key it is: "DeepL", "LibreTranslate", "言語モデル".
inline constexpr wchar_t kDeepLName[] = L"DeepL";
[[nodiscard]] std::wstring KeyNotSavedText(std::wstring_view service);
[[nodiscard]] std::wstring KeyNotRemovedText(std::wstring_view service);
inline constexpr wchar_t kChoiceNotSavedText[] = L"翻訳サービスの設定を保存できませんでした。";
// A key field's status line.
inline constexpr wchar_t kKeyTypedText[] = L"入力したキーを OK で保存します。";
inline constexpr wchar_t kKeyRemovedOnOkText[] = L"保存済みのキーを OK で削除します。";
inline constexpr wchar_t kKeyStoredText[] = L"キーは保存済みです。入力すると置き換えます。";
inline constexpr wchar_t kNoKeyStoredText[] = L"キーは保存されていません。";
// What OK refuses.
inline constexpr wchar_t kBadLibreUrlText[] =
    L"LibreTranslate のサーバーの URL は http:// または https:// で始め、ホスト名を入れてください"
    L"（例: http://localhost:5000。IPv6 のアドレスには対応していません）。";
inline constexpr wchar_t kBadChatUrlText[] =
    L"言語モデルのサーバーの URL は http:// または https:// で始め、ホスト名を入れてください"
    L"（例: http://localhost:11434/v1。IPv6 のアドレスには対応していません）。";
inline constexpr wchar_t kChatModelMissingText[] =
    L"言語モデルを使うには、モデル名を入力してください（例: Ollama で取得したモデルの名前）。";
inline constexpr wchar_t kUnusableKeyText[] =
    L"API キーに使えない文字が含まれています。キーは半角の英数字と記号だけで、空白を含みません。";
// A key is sent only to the server it was saved for, and over the network only with TLS.
inline constexpr wchar_t kKeyForAnotherServerText[] =
    L"保存されている API キーは別のサーバーの URL とともに保存されたものなので、この URL には送りません。"
    L"翻訳サービスの設定で、キーを入力し直すか削除してください。";
inline constexpr wchar_t kKeyWithoutTlsText[] =
    L"API キーは、暗号化されない http:// では、このコンピューターの外のサーバーに送りません。"
    L"https:// で始まる URL にしてください。";
inline constexpr wchar_t kLibreUrlMissingText[] =
    L"LibreTranslate を使うには、サーバーの URL を入力してください（例: http://localhost:5000）。";
inline constexpr wchar_t kDeepLKeyMissingText[] = L"DeepL API を使うには、DeepL の API キーを入力してください。";
// The services without an account say where the text goes, as the pages' option names Excite and infoseek.
inline constexpr wchar_t kGoogleOptionText[] = L"Google 翻訳（アカウント不要。Google に送信）(&G)";
inline constexpr wchar_t kGoogleName[] = L"Google 翻訳";
inline constexpr wchar_t kMicrosoftOptionText[] =
    L"Microsoft 翻訳（アカウント不要。Microsoft に送信）(&S)";
inline constexpr wchar_t kMicrosoftName[] = L"Microsoft 翻訳";
inline constexpr wchar_t kAzureOptionText[] = L"Azure Translator（自分の Azure の API キーで）(&A)";
inline constexpr wchar_t kAzureFrameText[] = L"Azure Translator";
inline constexpr wchar_t kAzureKeyLabelText[] = L"API キー(&N):";
inline constexpr wchar_t kAzureRegionLabelText[] = L"リージョン(&W):";
inline constexpr wchar_t kRemoveAzureKeyText[] = L"キーを削除(&V)";
inline constexpr wchar_t kAzureKeyMissingText[] =
    L"Azure Translator を使うには、Azure の Translator リソースの API キーを入力してください。";
inline constexpr wchar_t kBadAzureRegionFieldText[] =
    L"Azure のリージョンは、リソースの「場所」の英語名を半角の英数字とハイフンで入力してください"
    L"（例: japaneast）。グローバルのリソースなら空のままにします。";

}  // namespace velmora
