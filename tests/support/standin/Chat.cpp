#include "standin/Chat.h"

#include <rapidjson/document.h>

#include "standin/Standin.h"

#include <cstdio>

namespace standin {
namespace {

// A stream comes in chunks, as model servers send it (and WinINet finds the end of a TLS answer by the last one).
std::string InChunk(const std::string& piece) {
    char size[16];
    std::snprintf(size, sizeof size, "%zx\r\n", piece.size());
    return size + piece + "\r\n";
}

// {"choices":[{"index":0,"delta":{<field>:<text>}}]} or, for a whole answer, "message" in place of "delta".
std::string Chunk(const char* part, const char* field, const std::string& text) {
    return std::string(R"({"object":"chat.completion.chunk","choices":[{"index":0,")") + part + R"(":{")" + field +
           R"(":)" + JsonText(text) + "}}]}";
}

std::string Error(const std::string& message) {
    return R"({"error":{"message":)" + JsonText(message) + "}}";
}

// The text in `count` pieces that never split a UTF-8 character (0: two characters each).
std::vector<std::string> Pieces(const std::string& text, int count) {
    std::vector<size_t> starts;
    for (size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            starts.push_back(i);
        }
    }
    const size_t n = count > 0 ? static_cast<size_t>(count) : (starts.size() + 1) / 2;
    std::vector<std::string> pieces;
    for (size_t k = 0; k < n; ++k) {
        const size_t from = k * starts.size() / n;
        const size_t to = (k + 1) * starts.size() / n;
        pieces.push_back(text.substr(from < starts.size() ? starts[from] : text.size(),
                                     (to < starts.size() ? starts[to] : text.size()) -
                                         (from < starts.size() ? starts[from] : text.size())));
    }
    return pieces;
}

// An event sent as two pieces: cut inside its first multi-byte character, else in its middle.
void AddSplit(std::vector<std::string>& out, const std::string& event) {
    size_t cut = event.size() / 2;
    for (size_t i = 0; i < event.size(); ++i) {
        if (static_cast<unsigned char>(event[i]) >= 0x80) {
            cut = i + 1;
            break;
        }
    }
    out.push_back(event.substr(0, cut));
    out.push_back(event.substr(cut));
}

// The stream's pieces as HTTP chunks after the head, with the last chunk when the stream ends.
std::vector<std::string> Chunked(std::vector<std::string> pieces, bool end) {
    for (std::string& piece : pieces) {
        piece = InChunk(piece);
    }
    pieces.front().insert(0, "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream; charset=utf-8\r\nCache-Control: no-cache\r\n"
                             "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n");
    if (end) {
        pieces.back() += "0\r\n\r\n";
    }
    return pieces;
}

std::string Problem(const ApiRequest& r, const std::string& expectedKey) {
    if (r.method != "POST" || r.contentType != "application/json") {
        return "method or content type";
    }
    if (r.authorization != (expectedKey.empty() ? "" : "Bearer " + expectedKey)) {
        return "wrong Authorization: " + r.authorization;
    }
    rapidjson::Document json;
    if (json.Parse(r.body.c_str(), r.body.size()).HasParseError() || !json.IsObject() || json.MemberCount() != 4 ||
        !json.HasMember("model") || !json["model"].IsString() || json["model"].GetStringLength() == 0 ||
        !json.HasMember("temperature") || !json["temperature"].IsNumber() || json["temperature"].GetDouble() != 0 ||
        !json.HasMember("stream") || !json["stream"].IsTrue() || !json.HasMember("messages") ||
        !json["messages"].IsArray() || json["messages"].Size() != 2) {
        return "not model, two messages, temperature 0 and stream true";
    }
    const auto& system = json["messages"][0];
    const auto& user = json["messages"][1];
    for (const auto* message : {&system, &user}) {
        if (!message->IsObject() || !message->HasMember("role") || !message->HasMember("content") ||
            !(*message)["content"].IsString()) {
            return "a message without role or content";
        }
    }
    const std::string instruction = system["content"].GetString();
    int languages = 0;
    for (const char* name : {"English", "Japanese", "Korean"}) {
        languages += instruction.find(name) != std::string::npos;
    }
    if (std::string(system["role"].GetString()) != "system" || std::string(user["role"].GetString()) != "user" ||
        languages != 2) {
        return "not a system message naming two languages, then the user's";
    }
    return {};
}

}  // namespace

std::string ChatSource(const std::string& body) {
    rapidjson::Document json;
    if (json.Parse(body.c_str(), body.size()).HasParseError() || !json.IsObject() || !json.HasMember("messages") ||
        !json["messages"].IsArray() || json["messages"].Size() < 2 || !json["messages"][1].IsObject() ||
        !json["messages"][1].HasMember("content") || !json["messages"][1]["content"].IsString()) {
        return {};
    }
    return json["messages"][1]["content"].GetString();
}

std::vector<std::string> ChatAnswer(ApiRequest& r,
                                    Fault fault,
                                    const std::string& expectedKey,
                                    const std::string& translation,
                                    int events) {
    const std::string json = "application/json";
    r.problem = Problem(r, expectedKey);
    if (!r.problem.empty()) {
        return {Answer("400 Bad Request", json, Error("stand-in: " + r.problem))};
    }
    switch (fault) {
        case Fault::KeyRefused:
            // As hosted services do, the answer repeats part of what it was sent.
            return {Answer("401 Unauthorized", json, Error("Incorrect API key provided: " + r.authorization))};
        case Fault::ModelMissing:
            return {Answer("404 Not Found", json, Error("model \"test-model\" not found, try pulling it first"))};
        case Fault::TooManyRequests:
            return {Answer("429 Too Many Requests", json, Error("Rate limit reached"))};
        case Fault::Http500:
            return {Answer("503 Service Unavailable", json, Error("The server is overloaded"))};
        case Fault::NotJson:
            return {Answer("200 OK", "text/html", "<html><body>Welcome</body></html>")};
        case Fault::WholeJson:
            return {Answer("200 OK", json, Chunk("message", "content", translation))};
        default:
            break;
    }
    std::vector<std::string> out{": stand-in\n\n"};
    AddSplit(out, "data: " + Chunk("delta", "role", "assistant") + "\r\n\r\n");
    AddSplit(out, "event: message\ndata: " + Chunk("delta", "reasoning_content", "思考 hidden") + "\n\n");
    if (fault == Fault::Thinking) {
        for (const char* piece : {"<think>", "\nThe user wants", " a translation.\n", "</think>", "\n\n"}) {
            AddSplit(out, "data: " + Chunk("delta", "content", piece) + "\n\n");
        }
    }
    const std::vector<std::string> pieces = fault == Fault::MissingField ? std::vector<std::string>{}
                                                                          : Pieces(translation, events);
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (fault == Fault::StreamError && i == pieces.size() / 2) {
            out.push_back("data: " + Error("stand-in ran out of memory\r\nat token " + std::to_string(i)) + "\n\n");
            break;
        }
        if (fault == Fault::Stall && i == pieces.size() / 2) {
            return Chunked(std::move(out), false);  // the rest never comes
        }
        AddSplit(out, "data: " + Chunk("delta", "content", pieces[i]) + "\n\n");
    }
    if (fault != Fault::StreamError) {
        out.push_back("data: [DONE]\n\n");
    }
    return Chunked(std::move(out), true);
}

}  // namespace standin
