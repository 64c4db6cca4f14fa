// Test support: the mnemonics (Alt + the underlined letter) of a window: every push button, check
// box, radio button and menu entry has one, and no two that can be on screen together share one.
//
// Qt presses a button on its mnemonic only when no other control of the window has the same one;
// otherwise the key merely moves the focus among them. Controls on different pages of a page
// area are never shown together, so they may share a letter. Hidden controls count: a window
// shows them later (a key's multicast row, a button of another mode).
#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStringList>
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#include "common/widgets/captiontext.h"
#include "common/widgets/testing/unnamedcontrols.h"

namespace mnemonic_check {

// The page of each page area that a widget sits on, from the inside out.
using TPages = std::vector<std::pair<const QWidget*, const QWidget*>>;

inline TPages Pages(const QWidget* widget, const QWidget* form) {
    TPages pages;
    for (const QWidget* w = widget; w != form && w != nullptr; w = w->parentWidget())
        if (qobject_cast<const QStackedWidget*>(w->parentWidget()))
            pages.emplace_back(w->parentWidget(), w);
    return pages;
}

struct TCarrier {
    QString name;
    TPages pages;
};
using TByKey = QMap<QString, std::vector<TCarrier>>;

inline bool ShownTogether(const TCarrier& a, const TCarrier& b) {
    for (const auto& [area, page] : a.pages)
        for (const auto& [otherArea, otherPage] : b.pages)
            if (area == otherArea && page != otherPage) return false;
    return true;
}

// The text that carries a widget's mnemonic, if it can have one: a button's, a group box's
// title, the text of a label that leads to a control.
inline QString MnemonicText(const QWidget* widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(widget)) return group->title();
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        return label->buddy() != nullptr ? label->text() : QString();
    return {};
}

inline QString Mnemonic(const QString& text) {
    return QKeySequence::mnemonic(text).toString();
}

// The buttons a user reaches by a letter; tool buttons show icons rather than letters, and a
// caption that is data (a file's name) has no letter of its own.
inline bool NeedsMnemonic(const QWidget* widget) {
    if (widget->property(kDataCaptionProperty).toBool()) return false;
    return qobject_cast<const QPushButton*>(widget) || qobject_cast<const QCheckBox*>(widget) ||
           qobject_cast<const QRadioButton*>(widget);
}

// Files each entry of a menu or menu bar under its mnemonic, or as a line when it has none.
inline void AddEntries(const QList<QAction*>& actions, const QString& owner, TByKey& byKey,
                       QStringList& lines) {
    for (const QAction* action : actions) {
        if (action->isSeparator() || action->text().isEmpty()) continue;
        const QString name = owner + "/" + action->text();
        if (const QString key = Mnemonic(action->text()); key.isEmpty())
            lines << "no mnemonic: " + name;
        else
            byKey[key].push_back({name, {}});
    }
}

// Lines "Alt+X: a, b" for each mnemonic shared by entries that can be shown together.
inline QStringList Clashes(const TByKey& byKey) {
    QStringList lines;
    for (auto it = byKey.begin(); it != byKey.end(); ++it)
        for (std::size_t i = 0; i < it->size(); ++i)
            for (std::size_t j = i + 1; j < it->size(); ++j)
                if (ShownTogether((*it)[i], (*it)[j]))
                    lines << it.key() + ": " + (*it)[i].name + ", " + (*it)[j].name;
    return lines;
}

}  // namespace mnemonic_check

// One line for each push button, check box, radio button or menu entry without a mnemonic ("no
// mnemonic: btnOk") and for each mnemonic shared within the window ("Alt+S: btnSave, btnStart");
// empty when all is well. A button whose caption is only symbols ("...", "▲") or still empty has
// no letter to underline.
inline std::string MnemonicProblems(QWidget* form) {
    using namespace mnemonic_check;
    TByKey byKey;
    QStringList lines;
    for (QWidget* widget : form->findChildren<QWidget*>()) {
        if (widget->window() != form) continue;  // a menu or a drop-down's list
        const QString text = MnemonicText(widget);
        if (const QString key = Mnemonic(text); !key.isEmpty())
            byKey[key].push_back({widget->objectName(), Pages(widget, form)});
        else if (NeedsMnemonic(widget) && Speakable(text))
            lines << "no mnemonic: " + widget->objectName();
    }
    // The menu bar's titles are the window's; a menu's entries count within the menu.
    for (QMenuBar* bar : form->findChildren<QMenuBar*>())
        AddEntries(bar->actions(), "menu bar", byKey, lines);
    for (const QMenu* menu : form->findChildren<QMenu*>()) {
        TByKey entries;
        AddEntries(menu->actions(), menu->objectName(), entries, lines);
        lines << Clashes(entries);
    }
    return (lines + Clashes(byKey)).join('\n').toStdString();
}
