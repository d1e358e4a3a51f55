#include "core/services/EventStream.h"

namespace velmora {

std::vector<std::string> EventStream::Feed(std::string_view bytes) {
    std::vector<std::string> events;
    for (char c : bytes) {
        if (!started_) {
            // A UTF-8 byte order mark is dropped one byte at a time, so that it too may be split.
            static constexpr std::string_view kBom = "\xEF\xBB\xBF";
            if (line_.size() < kBom.size() && c == kBom[line_.size()]) {
                line_ += c;
                started_ = line_.size() == kBom.size();
                if (started_) {
                    line_.clear();
                }
                continue;
            }
            started_ = true;
        }
        if (afterCr_ && c == '\n') {
            afterCr_ = false;
            continue;
        }
        afterCr_ = c == '\r';
        if (c == '\r' || c == '\n') {
            TakeLine(events);
        } else {
            line_ += c;
        }
    }
    return events;
}

std::vector<std::string> EventStream::Finish() {
    std::vector<std::string> events;
    if (!line_.empty()) {
        TakeLine(events);
    }
    line_.clear();
    TakeLine(events);  // the blank line that the stream did not send
    return events;
}

void EventStream::TakeLine(std::vector<std::string>& events) {
    std::string line;
    line.swap(line_);
    if (line.empty()) {
        if (hasData_) {
            events.push_back(std::move(data_));
        }
        data_.clear();
        hasData_ = false;
        return;
    }
    if (line[0] == ':') {
        return;  // a comment: servers send them to keep the connection open
    }
    const size_t colon = line.find(':');
    const std::string_view field = std::string_view(line).substr(0, colon);
    std::string_view value;
    if (colon != std::string::npos) {
        value = std::string_view(line).substr(colon + 1);
        if (!value.empty() && value.front() == ' ') {
            value.remove_prefix(1);
        }
    }
    if (field == "data") {
        if (hasData_) {
            data_ += '\n';
        }
        data_.append(value);
        hasData_ = true;
    }
    // "event", "id", "retry" and unknown fields say nothing about the text.
}

}  // namespace velmora
