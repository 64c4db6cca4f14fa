// Accessible names for the controls of a window, taken from what a sighted user reads beside
// them, so that a screen reader announces every input and button.
//
// For each control that takes the keyboard focus and has no name of its own (set in code), the
// name is, in this order: the text of the label whose buddy it is; the text of the label before
// it in its layout (the cell to its left in a grid, the widget before it in a row), which then
// becomes its buddy, so that the label's mnemonic reaches it; the title of the group box it sits
// in, for a control without a text of its own; its tool tip. A name set in code (for a list or a
// tree without a label) is kept; form translation translates it by its key ".AccessibleName".
// Buttons, check boxes and radio buttons are named by their own text, as Qt does, or by their tool
// tip when the text is only symbols ("...", "▲"). Mnemonic marks ("&") are left out of names.
//
// Names are derived again on every call, so a window calls it after each translation.
#pragma once

class QString;
class QWidget;

void NameControls(QWidget* form);

// Whether control's name was derived here (and is derived again), rather than set in code.
bool HasDerivedName(const QWidget* control);
inline constexpr const char* kDerivedNameProperty = "derivedAccessibleName";

// The name a screen reader announces for widget ("" when it has none).
QString SpokenName(QWidget* widget);
