// The property editor as the main window's properties command runs it: modal, on a copy of the
// terminal's block, answering the edited block after OK and nothing otherwise.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "manager/params/paramblock.h"
#include "manager/params/widgets/frmproperty.h"

class QWidget;

// The texts the editor is given: the access address, then the running IP address, subnet mask,
// gateway, primary and secondary DNS of the terminal.
using TPropertyEditorTexts = std::array<std::string, 6>;

// Without deps.pages the editor has the standard pages (StandardPageRegistry()).
std::optional<TParamBlock> RunPropertyEditor(QWidget* parent, const TFrmPropertyDeps& deps,
                                             const TParamBlock& block,
                                             const TPropertyEditorTexts& texts);
