#include "core/html/Tokenizer.h"

#include "core/html/Entities.h"

namespace velmora::html {
namespace {

constexpr std::size_t kManyAttributes = 16;

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

bool IsAsciiAlpha(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

char16_t Lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

// Appends text, decoding references when asked. NUL is dropped from page text, as browsers do, and becomes
// U+FFFD elsewhere, so that no NUL ever reaches the markup (it would cut the text short in a Win32 control).
void AppendText(std::u16string_view text, bool decode, bool attribute, bool dropNul, std::u16string& out) {
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t run = i;
        while (run < text.size() && text[run] != u'\0' && !(decode && text[run] == u'&')) {
            ++run;
        }
        out.append(text.substr(i, run - i));
        if (run == text.size()) {
            break;
        }
        if (text[run] == u'\0') {
            if (!dropNul) {
                out.push_back(u'\uFFFD');
            }
            i = run + 1;
        } else {
            i = DecodeCharRef(text, run, attribute, out);
        }
    }
}

}  // namespace

bool Tokenizer::Next(Token& token) {
    while (pos_ < src_.size()) {
        token.data.clear();
        token.attributes.clear();
        token.kind = Token::Kind::kText;
        if (mode_ == Mode::kPlaintext) {
            AppendText(src_.substr(pos_), false, false, false, token.data);
            pos_ = src_.size();
            return true;
        }
        if (mode_ != Mode::kData) {
            const std::size_t end = FindRawEnd();
            AppendText(src_.substr(pos_, end - pos_), mode_ == Mode::kRcdata, false, false, token.data);
            pos_ = end;
            mode_ = Mode::kData;
            if (!token.data.empty()) {
                return true;
            }
            continue;
        }
        if (src_[pos_] != u'<') {
            ReadText(token);
            if (!token.data.empty()) {
                return true;
            }
            continue;
        }
        if (ReadMarkup(token)) {
            return true;
        }
    }
    return false;
}

// The content of script, style, textarea and the like ends only at the matching end tag.
std::size_t Tokenizer::FindRawEnd() const {
    const std::u16string_view name = storage_.tags.Name(rawTag_);
    for (std::size_t p = src_.find(u"</", pos_); p != std::u16string_view::npos; p = src_.find(u"</", p + 2)) {
        const std::size_t after = p + 2 + name.size();
        if (after < src_.size() && EqualsIgnoringCase(src_.substr(p + 2, name.size()), name) &&
            (IsSpace(src_[after]) || src_[after] == u'/' || src_[after] == u'>')) {
            return p;
        }
    }
    return src_.size();
}

void Tokenizer::ReadText(Token& token) {
    std::size_t end = src_.find(u'<', pos_);
    end = end == std::u16string_view::npos ? src_.size() : end;
    AppendText(src_.substr(pos_, end - pos_), true, false, true, token.data);
    pos_ = end;
}

bool Tokenizer::ReadMarkup(Token& token) {
    const auto at = [this](std::size_t p) { return p < src_.size() ? src_[p] : u'\0'; };
    const char16_t next = at(pos_ + 1);
    if (IsAsciiAlpha(next)) {
        return ReadTag(token, false, pos_ + 1);
    }
    if (next == u'/') {
        const char16_t first = at(pos_ + 2);
        if (IsAsciiAlpha(first)) {
            return ReadTag(token, true, pos_ + 2);
        }
        if (first == u'>') {  // "</>" means nothing
            pos_ += 3;
            return false;
        }
        if (pos_ + 2 >= src_.size()) {
            token.data = u"</";
            pos_ = src_.size();
            return true;
        }
        ReadComment(token, pos_ + 2, true);
        return true;
    }
    if (next == u'!') {
        if (src_.substr(pos_ + 2, 2) == u"--") {
            ReadComment(token, pos_ + 4, false);
            return true;
        }
        if (EqualsIgnoringCase(src_.substr(pos_ + 2, 7), u"doctype")) {
            ReadComment(token, pos_ + 9, true);
            token.kind = Token::Kind::kDoctype;
            return true;
        }
        ReadComment(token, pos_ + 2, true);
        return true;
    }
    if (next == u'?') {
        ReadComment(token, pos_ + 1, true);
        return true;
    }
    token.data = u"<";
    ++pos_;
    return true;
}

// A proper comment ends at "-->" (or at once for "<!-->" and "<!--->"); a bogus one, such as "<?xml ...>" or
// "<!x>", at the first '>'. Either runs to the end of the input when unterminated.
void Tokenizer::ReadComment(Token& token, std::size_t start, bool bogus) {
    token.kind = Token::Kind::kComment;
    std::size_t end;
    std::size_t resume;
    if (bogus) {
        end = src_.find(u'>', start);
        resume = end + 1;
    } else if (src_.substr(start, 1) == u">" || src_.substr(start, 2) == u"->") {
        end = start;
        resume = src_.find(u'>', start) + 1;
    } else {
        end = src_.find(u"-->", start);
        resume = end + 3;
    }
    if (end == std::u16string_view::npos) {
        end = src_.size();
        resume = src_.size();
    }
    AppendText(src_.substr(start, end - start), false, false, false, token.data);
    pos_ = resume;
}

// A tag cut off by the end of the input is dropped, as browsers do.
bool Tokenizer::ReadTag(Token& token, bool end, std::size_t nameStart) {
    std::size_t p = nameStart;
    name_.clear();
    for (; p < src_.size() && !IsSpace(src_[p]) && src_[p] != u'/' && src_[p] != u'>'; ++p) {
        name_.push_back(src_[p] == u'\0' ? u'\uFFFD' : Lower(src_[p]));
    }
    token.kind = end ? Token::Kind::kEndTag : Token::Kind::kStartTag;
    token.tag = storage_.tags.Intern(name_);
    seenNames_.clear();
    for (;;) {
        while (p < src_.size() && (IsSpace(src_[p]) || src_[p] == u'/')) {
            ++p;
        }
        if (p >= src_.size()) {
            pos_ = src_.size();
            return false;
        }
        if (src_[p] == u'>') {
            ++p;
            break;
        }
        if (!ReadAttribute(token, p)) {
            pos_ = src_.size();
            return false;
        }
    }
    pos_ = p;
    if (end) {
        token.attributes.clear();
        return true;
    }
    const unsigned flags = TagTable::Flags(token.tag);
    if (flags & (kRawText | kRcdata | kPlaintext)) {
        mode_ = flags & kRawText ? Mode::kRawText : flags & kRcdata ? Mode::kRcdata : Mode::kPlaintext;
        rawTag_ = token.tag;
    }
    return true;
}

// Reads one attribute at p (not a blank, '/' or '>'); false when the input ends inside a quoted value.
bool Tokenizer::ReadAttribute(Token& token, std::size_t& p) {
    const std::size_t nameStart = p++;  // the first character may be '='
    while (p < src_.size() && !IsSpace(src_[p]) && src_[p] != u'/' && src_[p] != u'>' && src_[p] != u'=') {
        ++p;
    }
    const std::u16string_view name = src_.substr(nameStart, p - nameStart);
    std::size_t q = p;
    while (q < src_.size() && IsSpace(src_[q])) {
        ++q;
    }
    value_.clear();
    if (q < src_.size() && src_[q] == u'=') {
        for (++q; q < src_.size() && IsSpace(src_[q]);) {
            ++q;
        }
        if (q < src_.size() && (src_[q] == u'"' || src_[q] == u'\'')) {
            const std::size_t close = src_.find(src_[q], q + 1);
            if (close == std::u16string_view::npos) {
                return false;
            }
            AppendText(src_.substr(q + 1, close - q - 1), true, true, false, value_);
            q = close + 1;
        } else {
            std::size_t e = q;
            while (e < src_.size() && !IsSpace(src_[e]) && src_[e] != u'>') {
                ++e;
            }
            AppendText(src_.substr(q, e - q), true, true, false, value_);
            q = e;
        }
        p = q;
    }
    name_.assign(name);
    for (char16_t& c : name_) {
        c = c == u'\0' ? u'\uFFFD' : c;
    }
    AddAttribute(token, name_, value_);
    return true;
}

// The first of several attributes with the same name (in any case) wins.
void Tokenizer::AddAttribute(Token& token, std::u16string_view name, std::u16string_view value) {
    if (token.attributes.size() < kManyAttributes) {
        for (const Attribute& a : token.attributes) {
            if (EqualsIgnoringCase(a.name, name)) {
                return;
            }
        }
    } else {
        // Past a handful, a set keeps a tag with thousands of attributes linear.
        const auto lower = [](std::u16string_view text) {
            std::u16string result(text);
            for (char16_t& c : result) {
                c = Lower(c);
            }
            return result;
        };
        if (seenNames_.empty()) {
            for (const Attribute& a : token.attributes) {
                seenNames_.insert(lower(a.name));
            }
        }
        if (!seenNames_.insert(lower(name)).second) {
            return;
        }
    }
    token.attributes.push_back({storage_.Text(name), storage_.Text(value)});
}

}  // namespace velmora::html
