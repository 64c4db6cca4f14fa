// The codec boxes of the talk and multicast pages and their conversions to the codec list fields.
#pragma once

#include "manager/params/paramblock.h"

class QComboBox;
class QListWidget;
class QWidget;

// An ordered check list of the three codec names ("G.711a(PCMA)", "G.711u(PCMU)", "G.722"), none
// ticked. Unticking the last ticked enabled item is refused.
QListWidget* NewCodecCheckList(QWidget* parent, const char* name);
// Moves the selected item one place up (-1) or down (+1) when it and its neighbour are enabled;
// it keeps its tick and stays selected.
void MoveCodecItem(QListWidget* list, int step);

// The known codes of the field not yet listed, in order, first and ticked; then the other items
// in their current order, unticked. A field without a known code unticks every item.
void LoadCodecList(QListWidget* list, const TParamBlock& block, const TParamField& field);
// The codes of the ticked, enabled items in list order, then zero bytes.
void SaveCodecList(const QListWidget* list, TParamBlock& block, const TParamField& field);
// The box's items carry their codec codes as item data (their texts may be translated).
// Selects the item of the field's first known code that the box lists; otherwise the first item.
void LoadCodecChoice(QComboBox* box, const TParamBlock& block, const TParamField& field);
// The selected item's code and seven zero bytes; eight zero bytes without a selection.
void SaveCodecChoice(const QComboBox* box, TParamBlock& block, const TParamField& field);
