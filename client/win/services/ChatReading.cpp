#include "win/services/ChatReading.h"

#include "common/Text.h"
#include "core/services/Chat.h"
#include "core/services/ServiceApi.h"
#include "core/services/ServiceMessages.h"
#include "core/text/Secrets.h"

namespace velmora {

bool ChatReading::Take(std::string_view piece) {
    fed_ += piece.size();
    if (fed_ > kChatStreamCap) {
        tooLarge_ = done_ = true;
        return false;
    }
    for (const std::string& data : stream_.Feed(piece)) {
        Event(data);
    }
    Show();
    return !done_;
}

std::optional<std::u16string> ChatReading::Result(const std::string& key, int status) {
    if (!tooLarge_) {
        for (const std::string& data : stream_.Finish()) {
            Event(data);
        }
    }
    if (tooLarge_) {
        report_ = common::ToU16(BodyTooLargeText(kAnswerBodyName));
        return std::nullopt;
    }
    if (!errorData_.empty()) {
        MaskKey(errorData_, key);
        report_ = ServiceAnswerText(ServiceKind::Chat, 0, ServiceMessageOfAnswer(ServiceKind::Chat, errorData_));
        return std::nullopt;
    }
    if (!readable_) {
        report_ = ServiceAnswerText(ServiceKind::Chat, status, u"");
        return std::nullopt;
    }
    ApiTranslation finished = FinishedAnswer(content_, scan_);
    if (!finished.report.empty()) {
        report_ = std::move(finished.report);
        return std::nullopt;
    }
    return std::move(finished.text);
}

void ChatReading::Event(const std::string& data) {
    if (done_) {
        return;
    }
    if (data == "[DONE]") {
        done_ = true;
        return;
    }
    ChatEvent event = ChatEventOf(data);
    readable_ = readable_ || event.readable;
    content_ += event.content;
    if (content_.size() > kChatContentCap) {
        tooLarge_ = done_ = true;
        return;
    }
    if (!event.error.empty()) {
        errorData_ = data;
        done_ = true;
    }
}

void ChatReading::Show() {
    const std::u16string_view visible = VisibleAnswer(content_, false, scan_);
    if (progress_ && visible.size() != shown_) {
        shown_ = visible.size();
        progress_(common::ToWide(visible));
    }
}

}  // namespace velmora
