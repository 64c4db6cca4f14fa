// Test support: the controls of a window that the keyboard reaches but a screen reader could not
// name.
#pragma once

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QStackedWidget>
#include <QStringList>
#include <QWidget>
#include <string>

#include "common/widgets/accessiblenames.h"

// A control counts when the user can tab to it: shown, or on a page of a page area.
inline bool ReachableByKeyboard(const QWidget* widget, const QWidget* form) {
    if (!(widget->focusPolicy() & Qt::TabFocus)) return false;
    for (const QWidget* w = widget; w != form; w = w->parentWidget()) {
        if (w->isHidden() && !qobject_cast<const QStackedWidget*>(w->parentWidget())) return false;
        const QWidget* parent = w->parentWidget();
        if (qobject_cast<const QAbstractSpinBox*>(parent) || qobject_cast<const QComboBox*>(parent))
            return false;  // the text box inside a spin box or drop-down: named with it
    }
    return true;
}

// A name says something when it has a letter or a digit: "..." or "▲" says nothing.
inline bool Speakable(const QString& name) {
    for (QChar c : name)
        if (c.isLetterOrNumber()) return true;
    return false;
}

// "objectName (class)" of every reachable control without a spoken name, one a line.
inline std::string UnnamedControls(QWidget* form) {
    QStringList unnamed;
    for (QWidget* control : form->findChildren<QWidget*>())
        if (ReachableByKeyboard(control, form) && !Speakable(SpokenName(control)))
            unnamed << control->objectName() + " (" + control->metaObject()->className() + ")";
    return unnamed.join('\n').toStdString();
}
