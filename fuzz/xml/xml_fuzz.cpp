// Feeds arbitrary bytes to the XML document access and to the catalogue built on it: loading
// and every read must end in an answer, never a crash, whatever the document holds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/xmlobj.h"
#include "manager/catalogue/catalogue.h"

namespace {

// Walks the first levels of the tree through the element handle.
void Walk(const TXmlElement& element, int depth) {
    (void)element.Name();
    (void)element.Text();
    if (depth == 0) return;
    for (std::size_t i = 0; i < element.ChildNodeCount() && i < 16; ++i) {
        const TXmlElement child = element.ChildNode(i);
        if (child.IsElement()) Walk(child, depth - 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TMyXmlobj document;
    if (!document.LoadFromBytes(bytes)) return 0;
    for (const char* path : {"Pelmora/Language", "pelmora/language/english",
                             "Pelmora/Messagedlg/FrmMain/keyWord1/English", "a/b/c/d/e/f/g",
                             " deviceconfig//base", "deviceconfig/base/devicemodel/1/name"}) {
        (void)document.ReadValue(path, "default");
        Walk(document.FindElement(path), 2);
    }
    Walk(document.Root(), 3);
    (void)BuildCatalogue(document).CatalogueDisplayName("SIP520");
    return 0;
}
