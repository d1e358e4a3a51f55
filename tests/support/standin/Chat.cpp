#include "standin/Chat.h"

#include <rapidjson/document.h>
#include <rapidjson/pointer.h>

#include "standin/Pages.h"
#include "standin/Standin.h"

#include <algorithm>
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
    const size_t characters = starts.size();
    starts.push_back(text.size());
    const size_t n = count > 0 ? static_cast<size_t>(count) : (characters + 1) / 2;
    std::vector<std::string> pieces;
    for (size_t k = 0; k < n; ++k) {
        const size_t from = starts[k * characters / n], to = starts[(k + 1) * characters / n];
        pieces.push_back(text.substr(from, to - from));
    }
    return pieces;
}

// An event sent as two pieces: cut inside its first multi-byte character, else in its middle.
void AddSplit(std::vector<std::string>& out, const std::string& event) {
    const auto wide = std::find_if(event.begin(), event.end(), [](char c) { return (c & 0x80) != 0; });
    const size_t cut = wide == event.end() ? event.size() / 2 : static_cast<size_t>(wide - event.begin()) + 1;
    out.push_back(event.substr(0, cut));
    out.push_back(event.substr(cut));
}

// The stream's pieces as HTTP chunks after the head, with the last chunk when the stream ends.
std::vector<std::string> Chunked(std::vector<std::string> pieces, bool end) {
    for (std::string& piece : pieces) {
        piece = InChunk(piece);
    }
    pieces.front().insert(
        0,
        "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream; charset=utf-8\r\nCache-Control: no-cache\r\n"
        "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n");
    if (end) {
        pieces.back() += "0\r\n\r\n";
    }
    return pieces;
}

// What is wrong with the request (empty when nothing); `source` gets the user's text.
std::string Problem(const ApiRequest& r, const std::string& expectedKey, std::string& source) {
    if (r.method != "POST" || r.contentType != "application/json") {
        return "method or content type";
    }
    if (r.authorization != (expectedKey.empty() ? "" : "Bearer " + expectedKey)) {
        return "wrong Authorization: " + r.authorization;
    }
    rapidjson::Document json;
    json.Parse(r.body.c_str(), r.body.size());
    auto text = [&json](const char* pointer) {
        const rapidjson::Value* v = json.HasParseError() ? nullptr : rapidjson::Pointer(pointer).Get(json);
        return v && v->IsString() ? std::string(v->GetString(), v->GetStringLength()) : std::string("\x01");
    };
    const rapidjson::Value* temperature = json.HasParseError() ? nullptr : rapidjson::Pointer("/temperature").Get(json);
    const rapidjson::Value* stream = json.HasParseError() ? nullptr : rapidjson::Pointer("/stream").Get(json);
    const rapidjson::Value* messages = json.HasParseError() ? nullptr : rapidjson::Pointer("/messages").Get(json);
    if (!json.IsObject() || json.MemberCount() != 4 || text("/model").empty() || text("/model") == "\x01" ||
        !temperature || !temperature->IsNumber() || temperature->GetDouble() != 0 || !stream || !stream->IsTrue() ||
        !messages || !messages->IsArray() || messages->Size() != 2) {
        return "not model, two messages, temperature 0 and stream true";
    }
    const std::string instruction = text("/messages/0/content");
    source = text("/messages/1/content");
    int languages = 0;
    for (const char* name : {"English", "Japanese", "Korean"}) {
        languages += instruction.find(name) != std::string::npos;
    }
    if (text("/messages/0/role") != "system" || text("/messages/1/role") != "user" || source == "\x01" ||
        languages != 2) {
        return "not a system message naming two languages, then the user's";
    }
    return {};
}

}  // namespace

std::vector<std::string> ChatAnswer(ApiRequest& r,
                                    Fault fault,
                                    const std::string& expectedKey,
                                    const std::string& chosen,
                                    int events) {
    const std::string json = "application/json";
    std::string source;
    r.problem = Problem(r, expectedKey, source);
    const std::string translation = chosen.empty() ? TranslationOf(source) : chosen;
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
    for (int i = 0; fault == Fault::KeepAlive && i < 12; ++i) {
        out.push_back(": keep-alive\n\n");
    }
    // What hosted APIs put around each piece: ids, the model, a fingerprint and padding against length analysis.
    const std::string framing = fault == Fault::HeavyFraming
                                    ? R"("id":"chatcmpl-standin","model":"test-model","obfuscation":")" +
                                          std::string(1500, 'x') + R"(",)"
                                    : "";
    AddSplit(out, "data: " + Chunk("delta", "role", "assistant") + "\r\n\r\n");
    AddSplit(out, "event: message\ndata: " + Chunk("delta", "reasoning_content", "思考 hidden") + "\n\n");
    if (fault == Fault::Thinking) {
        for (const char* piece : {"<think>", "\nThe user wants", " a translation.\n", "</think>", "\n\n"}) {
            AddSplit(out, "data: " + Chunk("delta", "content", piece) + "\n\n");
        }
    }
    const std::vector<std::string> pieces =
        fault == Fault::MissingField ? std::vector<std::string>{} : Pieces(translation, events);
    for (size_t i = 0; i < pieces.size(); ++i) {
        if (fault == Fault::StreamError && i == pieces.size() / 2) {
            out.push_back("data: " + Error("stand-in ran out of memory\r\nat token " + std::to_string(i)) + "\n\n");
            break;
        }
        if (fault == Fault::Stall && i == pieces.size() / 2) {
            return Chunked(std::move(out), false);  // the rest never comes
        }
        std::string event = Chunk("delta", "content", pieces[i]);
        event.insert(1, framing);
        AddSplit(out, "data: " + event + "\n\n");
    }
    if (fault != Fault::StreamError) {
        out.push_back("data: [DONE]\n\n");
    }
    return Chunked(std::move(out), true);
}

}  // namespace standin
