#include "manager/params/widgets/propertyeditor.h"

#include "manager/params/widgets/editorpages.h"

std::optional<TParamBlock> RunPropertyEditor(QWidget* parent, const TFrmPropertyDeps& deps,
                                             const TParamBlock& block,
                                             const TPropertyEditorTexts& texts) {
    static const TPageRegistry standardPages = StandardPageRegistry();
    TFrmPropertyDeps withPages = deps;
    if (withPages.pages == nullptr) withPages.pages = &standardPages;
    TFrmProperty editor(withPages, parent);
    editor.SetBlock(block);
    editor.SetAccessAddress(texts[0]);
    std::array<QString, 5> display;
    for (std::size_t i = 0; i < display.size(); ++i)
        display[i] = QString::fromStdString(texts[i + 1]);
    editor.SetDisplayTexts(display);
    if (editor.exec() != QDialog::Accepted) return std::nullopt;
    return editor.Block();
}
