// The stand-in's chat-completions API: the request a model server takes, and its answer as an event stream in
// pieces (split inside lines and inside UTF-8 characters, as a network may deliver them), or an error.
#pragma once
#include <string>
#include <vector>

#include "standin/Api.h"

namespace standin {

enum class Fault;

// The whole HTTP answer, in the pieces to be sent one after another with a pause between them. `expectedKey`
// empty means that no Authorization header may be sent; `translation` empty means the phrase book's for the
// user's text; `events` is how many pieces the translation comes in (0: two characters each).
[[nodiscard]] std::vector<std::string> ChatAnswer(ApiRequest& request,
                                                  Fault fault,
                                                  const std::string& expectedKey,
                                                  const std::string& translation,
                                                  int events);

}  // namespace standin
