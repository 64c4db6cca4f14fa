// Building blocks of the editor's pages: boxes with the typing limits of their fields, server
// boxes with their remembered address, and the texts that go between boxes and block fields.
#pragma once

#include <QString>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "manager/params/paramchecks.h"
#include "manager/params/widgets/pageregistry.h"

class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QWidget;

// A label with a caption (translated by its name when the editor opens).
QLabel* NewLabel(QWidget* parent, const char* name, const char* caption);
QGroupBox* NewGroup(QWidget* parent, const char* name, const char* caption);
QRadioButton* NewRadio(QWidget* parent, const char* name, const char* caption);
QCheckBox* NewCheckBox(QWidget* parent, const char* name, const char* caption);
// A button that never acts as the dialog's default button.
QPushButton* NewButton(QWidget* parent, const QString& name, const char* caption);
// The "清空" button of a numbered row (1, 2, ...): the row's last digit is its mnemonic, since a
// page has up to ten of them.
QPushButton* NewClearButton(QWidget* parent, const QString& name, int row);
// A number box for the range of a field's values.
QSpinBox* NewNumberBox(QWidget* parent, const char* name, int min, int max);

// A text box that takes at most maxChars typed characters and at most fieldWidth - 1 bytes in the
// device code page, so nothing typed is cut off when the field is written.
QLineEdit* NewTextBox(QWidget* parent, const char* name, int maxChars, std::size_t fieldWidth);
// An address box: 15 characters, address keys only (digits, ".", and the editing keys).
QLineEdit* NewAddressBox(QWidget* parent, const char* name);
// An editable drop-down for a server address with the same limits as a text box.
QComboBox* NewServerBox(QWidget* parent, const char* name, int maxChars, std::size_t fieldWidth,
                        bool addressKeysOnly);

// Puts a loaded text into a box. A text longer than the typing limit (a terminal may hold one)
// is shown whole, so saving without touching the box keeps it.
void SetBoxText(QLineEdit* box, const QString& text);
// The box's text without blanks and control characters at either end, as UTF-8.
std::string BoxText(const QLineEdit* box);
std::string BoxText(const QComboBox* box);

// Server box: its drop-down holds the remembered address (when there is one), its text the field.
void LoadServerBox(QComboBox* box, const TEditorContext& context, std::string_view key,
                   const std::string& text);
// Remembers a non-empty server text under key.
void RememberServerText(const TEditorContext& context, std::string_view key,
                        const std::string& text);

// The block field's text as the page shows it.
QString FieldQText(const TParamBlock& block, std::string_view field);
// An address field's dotted text; empty for 0.0.0.0.
std::string AddressOrEmpty(const TParamBlock& block, std::string_view field);

// The editor's form of a failed value check: its translated message and the box to focus.
TPageCheckFailure CheckFailureAt(const TCheckFailure& failure, QWidget* box);

// Tool tips (and so the spoken names) of the "..." buttons that pick from the address books.
QString PickContactHint();
QString PickMulticastHint();

// Rows of a caption and a control in a grid.
void AddRow(QGridLayout* grid, QWidget* label, QWidget* control);
