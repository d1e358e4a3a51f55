#include "core/services/Services.h"

#include <algorithm>

#include "core/Messages.h"
#include "core/services/Azure.h"
#include "core/services/Chat.h"
#include "core/services/DeepL.h"
#include "core/services/Google.h"
#include "core/services/Json.h"
#include "core/services/LibreTranslate.h"
#include "core/services/Microsoft.h"
#include "core/services/ServiceMessages.h"

namespace velmora {
namespace {

// In the window's order (the services added last below the others, so that the window keeps its places).
// Adding a service: its file's functions and its row here.
constexpr ServiceRow kServices[] = {
    // The pages are chosen like a service but are no API: the request code names the page.
    {.kind = ServiceKind::Page, .registryText = L"page", .option = kPagesOptionText},
    {
        .kind = ServiceKind::DeepL,
        .registryText = L"deepl",
        .option = kDeepLOptionText,
        .frame = kDeepLFrameText,
        .name = kDeepLName,
        .credential = L"Velmora/DeepL",
        .url = nullptr,
        .model = nullptr,
        .urlValue = nullptr,
        .modelValue = nullptr,
        .hostVariable = L"VELMORA_DEEPL_HOST",
        .keyHeader = u"Authorization: DeepL-Auth-Key ",
        .bodyLimit = kDeepLBodyLimit,
        .streams = false,
        .detectsSource = true,
        .endpoint = DeepLEndpoint,
        .refusal = DeepLRefusal,
        .call = DeepLCall,
        .answer = DeepLAnswer,
        .said = DeepLSaid,
        .statusText = DeepLStatusText,
        .keyLabel = kDeepLKeyLabelText,
        .removeKeyText = kRemoveDeepLKeyText,
        .missingKeyText = kDeepLKeyMissingText,
    },
    {
        .kind = ServiceKind::LibreTranslate,
        .registryText = L"libretranslate",
        .option = kLibreTranslateOptionText,
        .frame = kLibreTranslateFrameText,
        .name = kLibreTranslateFrameText,
        .credential = L"Velmora/LibreTranslate",
        .url = &ServiceSettings::libreTranslateUrl,
        .model = nullptr,
        .urlValue = L"LibreTranslateUrl",
        .modelValue = nullptr,
        .hostVariable = nullptr,
        .keyHeader = u"",  // LibreTranslate takes its key in the body
        .bodyLimit = kLibreBodyLimit,
        .streams = false,
        .detectsSource = true,
        .endpoint = LibreEndpoint,
        .refusal = LibreRefusal,
        .call = LibreCall,
        .answer = LibreAnswer,
        .said = LibreSaid,
        .statusText = LibreStatusText,
        .urlLabel = kLibreTranslateUrlLabelText,
        .keyLabel = kLibreTranslateKeyLabelText,
        .removeKeyText = kRemoveLibreTranslateKeyText,
        .badUrlText = kBadLibreUrlText,
        .missingUrlText = kLibreUrlMissingText,
    },
    {
        .kind = ServiceKind::Chat,
        .registryText = L"openai",
        .option = kChatOptionText,
        .frame = kChatFrameText,
        .name = kChatFrameText,
        .credential = L"Velmora/OpenAI",
        .url = &ServiceSettings::chatUrl,
        .model = &ServiceSettings::chatModel,
        .urlValue = L"OpenAIUrl",
        .modelValue = L"OpenAIModel",
        .hostVariable = nullptr,
        .keyHeader = u"Authorization: Bearer ",
        .bodyLimit = kChatBodyLimit,
        .streams = true,
        .detectsSource = true,
        .endpoint = ChatEndpoint,
        .refusal = ChatRefusal,
        .call = ChatCall,
        .answer = ChatAnswer,
        .said = ChatSaid,
        .statusText = ChatStatusText,
        .urlLabel = kChatUrlLabelText,
        .modelLabel = kChatModelLabelText,
        .keyLabel = kChatKeyLabelText,
        .removeKeyText = kRemoveChatKeyText,
        .badUrlText = kBadChatUrlText,
        .missingUrlText = kBadChatUrlText,  // an empty address is the default one, but only once saved
        .missingModelText = kChatModelMissingText,
    },
    {
        .kind = ServiceKind::Google,
        .registryText = L"google",
        .option = kGoogleOptionText,
        .frame = nullptr,
        .name = kGoogleName,
        .credential = nullptr,
        .url = nullptr,
        .model = nullptr,
        .hostVariable = L"VELMORA_GOOGLE_HOST",
        .keyHeader = u"",
        .bodyLimit = kGoogleBodyLimit,
        .streams = false,
        .detectsSource = true,
        .endpoint = GoogleEndpoint,
        .refusal = nullptr,
        .call = GoogleCall,
        .answer = GoogleAnswer,
        .said = MicrosoftSaid,  // Google's JSON errors have the same {"error": {"message": ...}}
        .statusText = RefusedForNowStatusText,
        .namedInReports = true,
    },
    {
        .kind = ServiceKind::Microsoft,
        .registryText = L"microsoft",
        .option = kMicrosoftOptionText,
        .frame = nullptr,
        .name = kMicrosoftName,
        .credential = nullptr,
        .url = nullptr,
        .model = nullptr,
        .hostVariable = L"VELMORA_MICROSOFT_HOST",
        .keyHeader = u"",
        .bodyLimit = kMicrosoftBodyLimit,
        .streams = false,
        .detectsSource = true,
        .endpoint = MicrosoftEndpoint,
        .refusal = nullptr,
        .call = MicrosoftCall,
        .answer = MicrosoftAnswer,
        .said = MicrosoftSaid,
        .statusText = RefusedForNowStatusText,
        .namedInReports = true,
    },
    {
        .kind = ServiceKind::Azure,
        .registryText = L"azure",
        .option = kAzureOptionText,
        .frame = kAzureFrameText,
        .name = kAzureFrameText,
        .credential = L"Velmora/Azure",
        .url = nullptr,
        .model = nullptr,
        .region = &ServiceSettings::azureRegion,
        .regionValue = L"AzureRegion",
        .hostVariable = L"VELMORA_AZURE_HOST",
        .keyHeader = u"Ocp-Apim-Subscription-Key: ",
        .bodyLimit = kMicrosoftBodyLimit,
        .streams = false,
        .detectsSource = true,
        .endpoint = AzureEndpoint,
        .refusal = AzureRefusal,
        .call = AzureCall,
        .answer = MicrosoftAnswer,  // the same shape as the keyless endpoint's
        .said = MicrosoftSaid,
        .statusText = AzureStatusText,
        .keyLabel = kAzureKeyLabelText,
        .removeKeyText = kRemoveAzureKeyText,
        .missingKeyText = kAzureKeyMissingText,
        .regionLabel = kAzureRegionLabelText,
        .badRegionText = kBadAzureRegionFieldText,
        .namedInReports = true,
    },
};

}  // namespace

std::span<const ServiceRow> AllServices() {
    return kServices;
}

std::size_t IndexOf(ServiceKind kind) {
    for (std::size_t i = 0; i < std::size(kServices); ++i) {
        if (kServices[i].kind == kind) {
            return i;
        }
    }
    return 0;
}

const ServiceRow& RowOf(ServiceKind kind) {
    return kServices[IndexOf(kind)];
}

ServiceKind ServiceKindFromText(std::wstring_view text) {
    const auto row = std::find_if(std::begin(kServices), std::end(kServices),
                                  [text](const ServiceRow& r) { return r.registryText == text; });
    return row != std::end(kServices) ? row->kind : ServiceKind::Google;
}

std::wstring_view ServiceKindText(ServiceKind kind) {
    return RowOf(kind).registryText;
}

}  // namespace velmora
