#include "common/widgets/accessiblenames.h"

#include <algorithm>

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QBoxLayout>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRegularExpression>
#include <QString>

namespace {

QString WithoutMnemonic(QString text) {
    // "&&" is a literal ampersand; a single "&" marks the mnemonic. Chinese captions carry the
    // mnemonic as "(&S)", which a reader should not announce either.
    static const QRegularExpression bracketed(QStringLiteral("\\(&[^&]\\)"));
    text.remove(bracketed);
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove('&');
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text.simplified().remove(QRegularExpression(QStringLiteral("[:：]$")));
}

QLabel* BuddyLabel(QWidget* control) {
    QWidget* parent = control->parentWidget();
    if (parent == nullptr) return nullptr;
    for (QLabel* label : parent->findChildren<QLabel*>())
        if (label->buddy() == control) return label;
    return nullptr;
}

// The layout that holds control directly, searched from its parent's layout down.
QLayout* HoldingLayout(QLayout* layout, QWidget* control, int* index) {
    if (layout == nullptr) return nullptr;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == control) {
            *index = i;
            return layout;
        }
        if (QLayout* found = HoldingLayout(item->layout(), control, index)) return found;
    }
    return nullptr;
}

QLabel* LabelBefore(QWidget* control) {
    QWidget* parent = control->parentWidget();
    int index = -1;
    QLayout* layout = parent ? HoldingLayout(parent->layout(), control, &index) : nullptr;
    if (layout == nullptr) return nullptr;
    // The first control of a row of controls (a box and its "default" button) is named by the
    // label of the row.
    if (index == 0 && qobject_cast<QBoxLayout*>(layout) && !parent->isWindow() &&
        !qobject_cast<QGroupBox*>(parent))
        return LabelBefore(parent);
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        int row, column, rowSpan, columnSpan;
        grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        for (int c = column - 1; c >= 0; --c) {
            QLayoutItem* item = grid->itemAtPosition(row, c);
            if (item == nullptr) continue;
            return qobject_cast<QLabel*>(item->widget());
        }
        return nullptr;
    }
    if (qobject_cast<QBoxLayout*>(layout) && index > 0)
        return qobject_cast<QLabel*>(layout->itemAt(index - 1)->widget());
    return nullptr;
}

// A button names itself by its text, unless the text is only symbols ("...", "▲").
bool NamesItself(const QWidget* control) {
    const auto* button = qobject_cast<const QAbstractButton*>(control);
    if (button == nullptr) return false;
    const QString text = WithoutMnemonic(button->text());
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

QString DerivedName(QWidget* control) {
    if (qobject_cast<QAbstractButton*>(control) && !control->toolTip().isEmpty())
        return WithoutMnemonic(control->toolTip());
    if (QLabel* label = BuddyLabel(control)) return WithoutMnemonic(label->text());
    if (QLabel* label = LabelBefore(control)) {
        if (!WithoutMnemonic(label->text()).isEmpty()) {
            if (label->buddy() == nullptr) label->setBuddy(control);
            return WithoutMnemonic(label->text());
        }
    }
    for (QWidget* p = control->parentWidget(); p != nullptr && !p->isWindow();
         p = p->parentWidget())
        if (auto* group = qobject_cast<QGroupBox*>(p))
            if (!WithoutMnemonic(group->title()).isEmpty()) return WithoutMnemonic(group->title());
    return WithoutMnemonic(control->toolTip());
}

// Parts of composite controls (the text box of a spin box or an editable drop-down) are named
// through their owner.
bool IsPartOfControl(const QWidget* widget) {
    for (const QWidget* p = widget->parentWidget(); p != nullptr && !p->isWindow();
         p = p->parentWidget())
        if (qobject_cast<const QAbstractSpinBox*>(p) || qobject_cast<const QComboBox*>(p))
            return true;
    return false;
}

}  // namespace

bool HasDerivedName(const QWidget* control) {
    return control->property(kDerivedNameProperty).toBool();
}

void NameControls(QWidget* form) {
    if (form == nullptr) return;
    for (QWidget* control : form->findChildren<QWidget*>()) {
        if (control->focusPolicy() == Qt::NoFocus || IsPartOfControl(control)) continue;
        const bool derived = HasDerivedName(control);
        if (!control->accessibleName().isEmpty() && !derived) continue;  // named in code
        if (NamesItself(control)) {
            if (derived) control->setAccessibleName(QString());
            continue;
        }
        control->setAccessibleName(DerivedName(control));
        control->setProperty(kDerivedNameProperty, true);
    }
}

QString SpokenName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}
