#pragma once
#include <string>

namespace standin {

enum class PageShape { Normal, NoMarkers, OneEndTag, ResultFirst };

// Query handling as a form handler does it: "+" is a blank, %XX a byte.
std::string FormDecode(const std::string& value);
std::string QueryValue(const std::string& target, const std::string& key);
std::string HtmlEscape(const std::string& text);
std::string TranslationOf(const std::string& sourceUtf8);
// The language a service would find in the text ("en", "fr", "ja", "zh-CN", ...), by the phrase book.
std::string LanguageOf(const std::string& sourceUtf8);

// UTF-8 pages: the source area first, then the result area, as both services lay them out.
std::string ExcitePage(const std::string& source, const std::string& result, PageShape shape);
std::string InfoseekPage(const std::string& source, const std::string& result, PageShape shape);

}  // namespace standin
