// Read-only access to an XML document by slash-separated paths, and the translation state that
// travels with the language document.
//
// A path such as "Pelmora/Messagedlg/FrmMain/keyWord4/English" names the root element and then
// one child element per component. Matching ignores letter case; at most six components count;
// an empty component ends the path; the search is depth-first, so among siblings of the same name
// the first whose subtree holds the rest of the path wins. Only element nodes take part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace rapidxml {
template <class Ch>
class xml_node;
template <class Ch>
class xml_document;
}  // namespace rapidxml

// A light handle to one node of a document owned by a TMyXmlobj. It stays valid while the
// object keeps that document (a failed load keeps the old one; a successful load replaces it).
// A default-constructed handle is "none": every question on it answers empty or zero.
class TXmlElement {
  public:
    TXmlElement() = default;

    explicit operator bool() const { return node_ != nullptr; }
    bool IsElement() const;  // false for text, CDATA and comment nodes, and for none

    std::string Name() const;  // element name (UTF-8); empty for other nodes
    // Element: its character content (text and CDATA children, joined). Other nodes: their
    // value. Always valid UTF-8.
    std::string Text() const;

    // Every child node in document order: elements, text, CDATA and comments. Attributes are not
    // child nodes, and neither is whitespace alone between markup.
    std::size_t ChildNodeCount() const;
    TXmlElement ChildNode(std::size_t index) const;  // none when out of range

    std::size_t ElementChildCount() const;
    TXmlElement ElementChild(std::size_t index) const;  // none when out of range

  private:
    friend class TMyXmlobj;
    explicit TXmlElement(const rapidxml::xml_node<char>* node) : node_(node) {}
    const rapidxml::xml_node<char>* node_ = nullptr;
};

class TMyXmlobj {
  public:
    // Documents nested deeper than this are refused before parsing (the parser recurses).
    static constexpr int kMaxDepth = 256;
    // Larger files are refused: the documents read this way are a few hundred kilobytes.
    static constexpr std::size_t kMaxFileBytes = 16u * 1024u * 1024u;

    TMyXmlobj();
    ~TMyXmlobj();
    TMyXmlobj(const TMyXmlobj&) = delete;
    TMyXmlobj& operator=(const TMyXmlobj&) = delete;
    TMyXmlobj(TMyXmlobj&&) noexcept;
    TMyXmlobj& operator=(TMyXmlobj&&) noexcept;

    // Reads and parses the whole file. A file that does not exist leaves the object unchanged and
    // answers true. A file that cannot be read or parsed (too large, too deep, malformed) answers
    // false and keeps the previous document and file name. On success the file's root element
    // becomes the root and the path is remembered.
    bool Load(const std::string& path);
    // Parses a document held in memory; same rules as Load, the file name is not changed.
    bool LoadFromBytes(std::string_view bytes);

    bool IsLoaded() const { return root_ != nullptr; }
    TXmlElement Root() const { return TXmlElement(root_); }

    // The text of the element addressed by path; defaultText when nothing is found. An element
    // without text gives the empty text.
    std::string ReadValue(std::string_view path, const std::string& defaultText) const;
    // The element addressed by path, or none. A path naming only the root finds nothing.
    TXmlElement FindElement(std::string_view path) const;

    // Translation state carried by the language document.
    std::uint32_t LanguageIndex() const { return languageIndex_; }
    void SetLanguageIndex(std::uint32_t index) { languageIndex_ = index; }
    const std::string& LanguageName() const { return languageName_; }
    void SetLanguageName(std::string name) { languageName_ = std::move(name); }
    const std::string& FormName() const { return formName_; }
    void SetFormName(std::string name) { formName_ = std::move(name); }
    const std::string& FileName() const { return fileName_; }

  private:
    std::uint32_t languageIndex_ = 0;
    // The parser keeps pointers into the buffer, so both live and die together.
    std::vector<char> buffer_;
    std::unique_ptr<rapidxml::xml_document<char>> document_;
    const rapidxml::xml_node<char>* root_ = nullptr;
    std::string languageName_ = "Chinese-Simplified";
    std::string formName_ = "noform";
    std::string fileName_;
};

// True when the document's element nesting may exceed maxDepth. A cheap scan that skips
// comments, CDATA, processing instructions and quoted attribute values; when unsure it counts
// deeper, never shallower, than the parser will go.
bool XmlNestingExceeds(std::string_view bytes, int maxDepth);
