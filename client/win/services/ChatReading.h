// A language model's answer read as it arrives: the event stream's pieces joined, what of them the user may see,
// and the report when the stream was no answer.
#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/services/Chat.h"
#include "core/services/EventStream.h"

namespace velmora {

// Called on the worker thread whenever a piece of a streamed answer arrives, with the text to show so far.
using ServiceProgress = std::function<void(const std::wstring& visible)>;

// The answer's own text (and a model's thinking) may be 1 Mi characters; the stream around it, which is not kept,
// may be far larger (a few hundred bytes of framing come with every piece), but not without end.
inline constexpr std::size_t kChatContentCap = 1024 * 1024;
inline constexpr std::size_t kChatStreamCap = 64 * 1024 * 1024;

class ChatReading {
  public:
    explicit ChatReading(ServiceProgress progress) : progress_(std::move(progress)) {}

    // False once the answer is complete ([DONE], or an error in the stream): nothing more needs to be read.
    bool Take(std::string_view piece);
    // The translation once the stream has ended, or nothing when it is no answer; then Report() says why.
    [[nodiscard]] std::optional<std::u16string> Result(const std::string& key, int status);
    [[nodiscard]] std::u16string Report() const { return report_; }

  private:
    void Event(const std::string& data);
    void Show();

    ServiceProgress progress_;
    EventStream stream_;
    std::u16string content_;
    AnswerScan scan_;        // how far the content has been read for what to show
    std::string errorData_;  // the event that carried the server's error
    std::u16string report_;
    size_t shown_ = 0;
    std::size_t fed_ = 0;  // bytes of the stream so far, framing included
    bool readable_ = false;
    bool done_ = false;
    bool tooLarge_ = false;
};

}  // namespace velmora
