// A server-sent event stream read as it arrives: bytes go in in whatever pieces the network gives them, the data of
// each whole event comes out.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

class EventStream {
public:
    // The data of every event that these bytes complete, oldest first (its "data" lines joined by line feeds).
    // Lines may end in CR LF, LF or CR, and a piece may end anywhere, inside a line, a CR LF or a UTF-8 sequence.
    [[nodiscard]] std::vector<std::string> Feed(std::string_view bytes);
    // The end of the stream: a last line or event without its blank line still counts, since some servers close
    // the connection right after the last data line.
    [[nodiscard]] std::vector<std::string> Finish();

private:
    void TakeLine(std::vector<std::string>& events);

    std::string line_;
    std::string data_;
    bool hasData_ = false;
    bool afterCr_ = false;  // a CR ended the last line: a LF right after it belongs to the same line end
    bool started_ = false;  // past a byte order mark at the start
};

}  // namespace velmora
