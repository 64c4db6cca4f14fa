#include "manager/params/widgets/propertyeditor.h"

std::optional<TParamBlock> RunPropertyEditor(QWidget* parent, const TFrmPropertyDeps& deps,
                                             const TParamBlock& block,
                                             const TPropertyEditorTexts& texts) {
    TFrmProperty editor(deps, parent);
    editor.SetBlock(block);
    editor.SetAccessAddress(texts[0]);
    std::array<QString, 5> display;
    for (std::size_t i = 0; i < display.size(); ++i)
        display[i] = QString::fromStdString(texts[i + 1]);
    editor.SetDisplayTexts(display);
    if (editor.exec() != QDialog::Accepted) return std::nullopt;
    return editor.Block();
}
