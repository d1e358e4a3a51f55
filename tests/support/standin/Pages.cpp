// The pages the stand-in answers, in the layout of the two services' result pages.
#include "standin/Pages.h"

#include <map>

namespace standin {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

std::string FormDecode(const std::string& value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '+') {
            out += ' ';
        } else if (value[i] == '%' && i + 2 < value.size() && HexValue(value[i + 1]) >= 0 &&
                   HexValue(value[i + 2]) >= 0) {
            out += static_cast<char>(HexValue(value[i + 1]) * 16 + HexValue(value[i + 2]));
            i += 2;
        } else {
            out += value[i];
        }
    }
    return out;
}

std::string QueryValue(const std::string& target, const std::string& key) {
    const size_t q = target.find('?');
    if (q == std::string::npos) {
        return {};
    }
    size_t pos = q + 1;
    while (pos <= target.size()) {
        size_t end = target.find('&', pos);
        if (end == std::string::npos) end = target.size();
        const std::string pair = target.substr(pos, end - pos);
        if (pair.compare(0, key.size() + 1, key + "=") == 0) {
            return pair.substr(key.size() + 1);
        }
        pos = end + 1;
    }
    return {};
}

std::string HtmlEscape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

namespace {

struct Phrase {
    const char* translation;
    const char* language;  // what a service that finds the language says the phrase is written in
};

// The phrase book; a text not in it comes back as "【訳】" and the text, and is taken as English.
const Phrase* PhraseOf(const std::string& sourceUtf8) {
    static const std::map<std::string, Phrase> kPhrases = {
        {"Hello world", {"こんにちは、世界", "en"}},
        {"Good morning", {"おはようございます", "en"}},
        {"Thank you very much", {"どうもありがとうございます", "en"}},
        {"こんにちは", {"Hello", "ja"}},
        {"ありがとう", {"Thank you", "ja"}},
        {"안녕하세요", {"こんにちは", "ko"}},
        {"Bonjour tout le monde", {"皆さん、こんにちは", "fr"}},
        {"你好世界", {"こんにちは、世界", "zh-CN"}},
        // Han characters alone, and Japanese: a service asked for Japanese gives it back as it is.
        {"漢字", {"Chinese characters", "ja"}},
    };
    // The menu scripts pass the selection as it is; a stray blank around it must not change the answer.
    const size_t first = sourceUtf8.find_first_not_of(" \t\r\n");
    const size_t last = sourceUtf8.find_last_not_of(" \t\r\n");
    const std::string phrase = first == std::string::npos ? "" : sourceUtf8.substr(first, last - first + 1);
    const auto it = kPhrases.find(phrase);
    return it != kPhrases.end() ? &it->second : nullptr;
}

}  // namespace

std::string TranslationOf(const std::string& sourceUtf8) {
    const Phrase* phrase = PhraseOf(sourceUtf8);
    return phrase ? phrase->translation : "【訳】" + sourceUtf8;
}

std::string LanguageOf(const std::string& sourceUtf8) {
    const Phrase* phrase = PhraseOf(sourceUtf8);
    return phrase ? phrase->language : "en";
}

std::string ExcitePage(const std::string& source, const std::string& result, PageShape shape) {
    const std::string before = "<textarea cols=40 rows=15 name=\"before\" wrap=\"virtual\">" + HtmlEscape(source) +
                               "</textarea>\n";
    std::string after = "<textarea cols=40 rows=15 name=\"after\" wrap=\"virtual\">" + HtmlEscape(result);
    if (shape != PageShape::OneEndTag) {
        after += "</textarea>";
    }
    after += "\n";
    std::string areas = shape == PageShape::ResultFirst ? after + before : before + after;
    if (shape == PageShape::NoMarkers) {
        areas = "<p>ただいま混み合っております。しばらくしてからもう一度お試しください。</p>\n";
    }
    if (shape == PageShape::OneEndTag) {
        areas = "<textarea cols=40 rows=15 name=\"before\" wrap=\"virtual\">" + HtmlEscape(source) + "\n" + after;
    }
    return "<html>\n<head>\n<title>エキサイト翻訳</title>\n</head>\n<body>\n"
           "<form action=\"/world/text/\" method=\"get\">\n" +
           areas + "<input type=\"submit\" value=\"翻訳\">\n</form>\n</body>\n</html>\n";
}

std::string InfoseekPage(const std::string& source, const std::string& result, PageShape shape) {
    const std::string area = "<textarea class=\"transT\" name=\"%s\" rows=\"9\" wrap=\"virtual\" cols=\"31\">";
    auto textarea = [&](const char* name, const std::string& text) {
        std::string open = area;
        open.replace(open.find("%s"), 2, name);
        return "<td>\n" + open + HtmlEscape(text) + "</textarea>\n</td>\n";
    };
    std::string cells = textarea("originalText", source) + textarea("translatedText", result);
    if (shape == PageShape::ResultFirst) {
        cells = textarea("translatedText", result) + textarea("originalText", source);
    } else if (shape == PageShape::NoMarkers) {
        cells = "<td>ただいま混み合っております。</td>\n";
    } else if (shape == PageShape::OneEndTag) {
        cells = textarea("originalText", source);
    }
    return "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html>\n<head>\n"
           "<title>infoseek マルチ翻訳</title>\n</head>\n<body>\n<form name=\"trans\" action=\"indexUTF8.jsp\">\n"
           "<table border=\"0\" cellpadding=\"0\">\n<tr>\n" +
           cells + "</tr>\n</table>\n</form>\n</body>\n</html>\n";
}

}  // namespace standin
