#include "common/xmlobj.h"

#include <rapidxml/rapidxml.hpp>

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>

#include "common/textcodec.h"
#include "common/textutil.h"

using TNode = rapidxml::xml_node<char>;

namespace {

// Text and CDATA keep entities decoded; comments are kept so child node counts match the
// document. Closing tags must match their opening tags.
constexpr int kParseFlags = rapidxml::parse_validate_closing_tags | rapidxml::parse_comment_nodes;

using TLookup = rapidxml::internal::lookup_tables<0>;

bool IsSpace(char c) {
    return TLookup::lookup_whitespace[static_cast<unsigned char>(c)] != 0;
}
bool IsNodeNameChar(char c) {
    return TLookup::lookup_node_name[static_cast<unsigned char>(c)];
}
bool IsAttrNameChar(char c) {
    return TLookup::lookup_attribute_name[static_cast<unsigned char>(c)];
}

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsLower(std::string_view name, std::string_view lowerComponent) {
    if (name.size() != lowerComponent.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (AsciiLower(name[i]) != lowerComponent[i]) return false;
    }
    return true;
}

std::string_view NameOf(const TNode* node) {
    return {node->name(), node->name_size()};
}

constexpr std::size_t kMaxComponents = 6;

struct TPath {
    std::array<std::string, kMaxComponents> parts;
    std::size_t count = 0;  // components before the first empty one
};

TPath SplitPath(std::string_view path) {
    path = TrimBlanks(path);

    TPath result;
    while (result.count < kMaxComponents) {
        std::size_t slash = path.find('/');
        std::string_view part = path.substr(0, slash);
        if (part.empty()) break;
        std::string& out = result.parts[result.count++];
        out.reserve(part.size());
        for (char c : part)
            out.push_back(AsciiLower(c));
        if (slash == std::string_view::npos) break;
        path.remove_prefix(slash + 1);
    }
    return result;
}

// Depth-first: the first child named parts[index] whose subtree holds the rest of the path.
const TNode* FindBelow(const TNode* level, const TPath& path, std::size_t index) {
    for (const TNode* child = level->first_node(); child; child = child->next_sibling()) {
        if (child->type() != rapidxml::node_element) continue;
        if (!EqualsLower(NameOf(child), path.parts[index])) continue;
        if (index + 1 == path.count) return child;
        if (const TNode* found = FindBelow(child, path, index + 1)) return found;
    }
    return nullptr;
}

const TNode* FirstElement(const TNode* parent) {
    for (const TNode* n = parent->first_node(); n; n = n->next_sibling()) {
        if (n->type() == rapidxml::node_element) return n;
    }
    return nullptr;
}

}  // namespace

// Mirrors the parser's own reading of markup, so that nothing it will descend into is skipped
// here. Where the parser would stop with an error, the scan stops too: the parser cannot have
// gone deeper than the depth counted up to that point.
bool XmlNestingExceeds(std::string_view bytes, int maxDepth) {
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    int depth = 0;
    auto at = [&](std::size_t k) { return k < n ? bytes[k] : '\0'; };
    auto startsWith = [&](std::size_t k, std::string_view what) {
        return bytes.substr(std::min(k, n)).starts_with(what);
    };
    auto skipPast = [&](std::string_view end) {
        std::size_t p = bytes.find(end, i);
        if (p == std::string_view::npos) return false;
        i = p + end.size();
        return true;
    };
    auto skipSpace = [&] {
        while (IsSpace(at(i)))
            ++i;
    };

    while (i < n) {
        const char c = bytes[i];
        if (c == '\0') return false;  // the parser ends here
        if (c != '<') {
            ++i;
            continue;
        }
        ++i;
        if (at(i) == '/') {  // closing tag
            if (depth > 0) --depth;
            if (!skipPast(">")) return false;
        } else if (at(i) == '?') {  // declaration or processing instruction
            if (!skipPast("?>")) return false;
        } else if (startsWith(i, "!--")) {
            i += 3;
            if (!skipPast("-->")) return false;
        } else if (startsWith(i, "![CDATA[")) {
            i += 8;
            if (!skipPast("]]>")) return false;
        } else if (startsWith(i, "!DOCTYPE") && IsSpace(at(i + 8))) {
            i += 9;
            while (at(i) != '>') {
                if (at(i) == '\0') return false;
                if (at(i) == '[') {
                    ++i;
                    for (int brackets = 1; brackets > 0; ++i) {
                        if (at(i) == '\0') return false;
                        if (at(i) == '[') ++brackets;
                        if (at(i) == ']') --brackets;
                    }
                } else {
                    ++i;
                }
            }
            ++i;
        } else if (at(i) == '!') {
            if (!skipPast(">")) return false;
        } else {  // opening tag
            if (++depth > maxDepth) return true;
            while (IsNodeNameChar(at(i)))
                ++i;
            skipSpace();
            while (IsAttrNameChar(at(i))) {
                while (IsAttrNameChar(at(i)))
                    ++i;
                skipSpace();
                if (at(i) != '=') return false;
                ++i;
                skipSpace();
                const char quote = at(i);
                if (quote != '"' && quote != '\'') return false;
                ++i;
                const std::size_t close = bytes.find(quote, i);
                if (close == std::string_view::npos) return false;
                i = close + 1;
                skipSpace();
            }
            if (at(i) == '/') {
                if (at(i + 1) != '>') return false;
                --depth;
                i += 2;
            } else if (at(i) == '>') {
                ++i;
            } else {
                return false;
            }
        }
    }
    return false;
}

bool TXmlElement::IsElement() const {
    return node_ && node_->type() == rapidxml::node_element;
}

std::string TXmlElement::Name() const {
    if (!IsElement()) return {};
    return SanitizeUtf8(NameOf(node_));
}

std::string TXmlElement::Text() const {
    if (!node_) return {};
    if (!IsElement()) return SanitizeUtf8({node_->value(), node_->value_size()});
    std::string text;
    for (const TNode* child = node_->first_node(); child; child = child->next_sibling()) {
        if (child->type() == rapidxml::node_data || child->type() == rapidxml::node_cdata) {
            text.append(child->value(), child->value_size());
        }
    }
    return SanitizeUtf8(text);
}

std::size_t TXmlElement::ChildNodeCount() const {
    std::size_t count = 0;
    if (IsElement()) {
        for (const TNode* c = node_->first_node(); c; c = c->next_sibling())
            ++count;
    }
    return count;
}

TXmlElement TXmlElement::ChildNode(std::size_t index) const {
    if (!IsElement()) return {};
    for (const TNode* c = node_->first_node(); c; c = c->next_sibling()) {
        if (index-- == 0) return TXmlElement(c);
    }
    return {};
}

std::size_t TXmlElement::ElementChildCount() const {
    std::size_t count = 0;
    if (IsElement()) {
        for (const TNode* c = node_->first_node(); c; c = c->next_sibling()) {
            if (c->type() == rapidxml::node_element) ++count;
        }
    }
    return count;
}

TXmlElement TXmlElement::ElementChild(std::size_t index) const {
    if (!IsElement()) return {};
    for (const TNode* c = node_->first_node(); c; c = c->next_sibling()) {
        if (c->type() == rapidxml::node_element && index-- == 0) return TXmlElement(c);
    }
    return {};
}

TMyXmlobj::TMyXmlobj() : document_(std::make_unique<rapidxml::xml_document<char>>()) {}

TMyXmlobj::~TMyXmlobj() = default;
TMyXmlobj::TMyXmlobj(TMyXmlobj&&) noexcept = default;
TMyXmlobj& TMyXmlobj::operator=(TMyXmlobj&&) noexcept = default;

bool TMyXmlobj::Load(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return !error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > kMaxFileBytes) return false;

    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(bytes.size())) return false;
    if (!LoadFromBytes(bytes)) return false;
    fileName_ = path;
    return true;
}

bool TMyXmlobj::LoadFromBytes(std::string_view bytes) {
    if (bytes.size() > kMaxFileBytes || XmlNestingExceeds(bytes, kMaxDepth)) return false;
    try {
        // The parser writes into its buffer and needs a zero at the end.
        std::vector<char> buffer(bytes.begin(), bytes.end());
        buffer.push_back('\0');
        auto document = std::make_unique<rapidxml::xml_document<char>>();
        document->parse<kParseFlags>(buffer.data());
        const TNode* root = FirstElement(document.get());
        if (!root) return false;
        buffer_ = std::move(buffer);
        document_ = std::move(document);
        root_ = root;
        return true;
    } catch (const std::exception&) {  // rapidxml::parse_error, std::bad_alloc
        return false;
    }
}

TXmlElement TMyXmlobj::FindElement(std::string_view path) const {
    if (!root_) return {};
    const TPath parts = SplitPath(path);
    if (parts.count < 2 || !EqualsLower(NameOf(root_), parts.parts[0])) return {};
    return TXmlElement(FindBelow(root_, parts, 1));
}

std::string TMyXmlobj::ReadValue(std::string_view path, const std::string& defaultText) const {
    const TXmlElement element = FindElement(path);
    return element ? element.Text() : defaultText;
}
