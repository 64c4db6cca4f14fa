// Translation of whole windows by component kind, and the translation call for widget code.
//
// A form's keys are "<root>/<class name>/<objectName>.<property>", the class name being the
// form's C++ class (metaObject()->className(), e.g. "TFrmMain"). The component kinds map onto Qt
// widget classes as follows (objects without an objectName, or with Qt's internal "qt_" names,
// are not translated, but their children are visited):
//
//   form (top-level QWidget)             "self.Caption"       window title
//   QAction, QMenu (menu items)          ".Caption"           text / title
//   QComboBox                            ".Items" + i         entry i
//   QPushButton, QCheckBox, QRadioButton ".Caption"           text
//   QGroupBox                            ".Caption"           title
//   page of a QTabWidget                 ".Caption"           its tab text
//   QTreeView, QTableView (and the
//   item-widget forms of both)           ".Column" + i        horizontal header section i
//   QListWidget with checkable items     ".Items" + i         item i
//   QStatusBar                           ".Panels" + i        i-th QLabel child of the bar
//                                                             (the bar's panels)
//   QLabel                               ".Caption"           text
//   QToolButton                          ".Caption"           text
//   QAbstractSpinBox                                          not translated
//   any named widget                     ".AccessibleName"    its accessible name, when set in
//                                                             code
//                                                             (common/widgets/accessiblenames.h)
//                                        ".Hint"              its tool tip, when it has one
//
// Walk order: the caption; then every menu item (QAction, QMenu) below the form in creation
// order; then every widget below the form, depth first in creation order, each translated by kind
// before its children. Separate windows (dialogs, pop-up menus) owned by the form are not walked
// as components. Labels are not padded with blanks: Qt's layouts size them.
#pragma once

#include <QString>
#include <QStringList>
#include <string_view>

class QWidget;
class TMyXmlobj;

// Translates form with doc (nothing when doc holds no loaded document; the form's class name
// becomes the document's form name), then names its controls for screen readers from their
// labels (common/widgets/accessiblenames.h), so every translated form is named in its language.
void TranslateForm(QWidget* form, TMyXmlobj& doc);
// The same with the program-wide document (common/translation.h); nothing when none is installed.
void TranslateForm(QWidget* form);

// The translation call for widget code: the program-wide document's text for key, or the
// default text.
QString TrText(std::string_view key, const QString& defaultText);

// Replaces each "%s" or "%d" of format, in order, with the next argument, and "%%" with "%".
// Translated texts come from a file, so they are never used as printf formats.
QString FormatKeyText(const QString& format, const QStringList& args);
