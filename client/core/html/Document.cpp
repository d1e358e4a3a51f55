#include "core/html/Html.h"
#include "core/html/Storage.h"
#include "core/html/Tokenizer.h"
#include "core/html/TreeBuilder.h"

namespace velmora::html {

Document::Document() : storage_(std::make_unique<Storage>()) {}
Document::Document(Document&&) noexcept = default;
Document& Document::operator=(Document&&) noexcept = default;
Document::~Document() = default;

const Node& Document::Root() const {
    return *storage_->root;
}

const Node* Document::Body() const {
    return storage_->body;
}

Document Parse(std::u16string_view source) {
    Document document;
    Storage& storage = *document.storage_;
    TreeBuilder builder(storage);
    Tokenizer tokenizer(source, storage);
    Token token;
    while (tokenizer.Next(token)) {
        builder.Process(token);
    }
    builder.Finish();
    return document;
}

const Node* Body(const Document& document) {
    return document.Body();
}

}  // namespace velmora::html
