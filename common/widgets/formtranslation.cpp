#include "common/widgets/formtranslation.h"

#include <QAbstractItemModel>
#include <QAbstractSpinBox>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>

#include "common/translation.h"
#include "common/widgets/accessiblenames.h"
#include "common/xmlobj.h"

namespace {

class TFormTranslator {
  public:
    TFormTranslator(TMyXmlobj& doc, QString base) : doc_(doc), base_(std::move(base)) {}

    QString Text(const QString& suffix, const QString& current) const {
        const std::string key = (base_ + "/" + suffix).toStdString();
        return QString::fromStdString(Translate(doc_, key, current.toStdString()));
    }

    void MenuItems(QObject* parent) {
        for (QObject* child : parent->children()) {
            if (auto* action = qobject_cast<QAction*>(child)) {
                if (Named(action))
                    action->setText(Text(action->objectName() + ".Caption", action->text()));
            } else if (auto* menu = qobject_cast<QMenu*>(child)) {
                if (Named(menu))
                    menu->setTitle(Text(menu->objectName() + ".Caption", menu->title()));
            }
            MenuItems(child);
        }
    }

    void Components(QWidget* parent) {
        for (QObject* child : parent->children()) {
            auto* widget = qobject_cast<QWidget*>(child);
            if (widget == nullptr || widget->isWindow()) continue;
            if (ByKind(widget)) Components(widget);
        }
    }

  private:
    static bool Named(const QObject* object) {
        return !object->objectName().isEmpty() && !object->objectName().startsWith("qt_");
    }

    QString Key(const QWidget* widget, const QString& property) const {
        return widget->objectName() + "." + property;
    }

    // Translates one widget; answers whether its children are to be walked too.
    bool ByKind(QWidget* widget) {
        if (qobject_cast<QAbstractSpinBox*>(widget)) return false;
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            if (Named(combo))
                for (int i = 0; i < combo->count(); ++i)
                    combo->setItemText(
                        i, Text(Key(combo, "Items" + QString::number(i)), combo->itemText(i)));
            return false;
        }
        if (auto* bar = qobject_cast<QStatusBar*>(widget)) {
            if (!Named(bar)) return false;
            int panel = 0;
            for (QObject* child : bar->children())
                if (auto* label = qobject_cast<QLabel*>(child))
                    label->setText(
                        Text(Key(bar, "Panels" + QString::number(panel++)), label->text()));
            return false;
        }
        if (!Named(widget)) return true;
        TabPage(widget);
        // Names set in code and tool tips follow the language like captions.
        if (!widget->accessibleName().isEmpty() && !HasDerivedName(widget))
            widget->setAccessibleName(
                Text(Key(widget, "AccessibleName"), widget->accessibleName()));
        if (!widget->toolTip().isEmpty())
            widget->setToolTip(Text(Key(widget, "Hint"), widget->toolTip()));
        if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            box->setTitle(Text(Key(box, "Caption"), box->title()));
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            // QPushButton, QCheckBox, QRadioButton and QToolButton share the caption key.
            button->setText(Text(Key(button, "Caption"), button->text()));
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            label->setText(Text(Key(label, "Caption"), label->text()));
        } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
            CheckList(list);
        } else if (qobject_cast<QTreeView*>(widget) || qobject_cast<QTableView*>(widget)) {
            Columns(static_cast<QAbstractItemView*>(widget));
        }
        return true;
    }

    void TabPage(QWidget* page) {
        auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget());
        auto* tabs = stack ? qobject_cast<QTabWidget*>(stack->parentWidget()) : nullptr;
        if (tabs == nullptr) return;
        const int index = tabs->indexOf(page);
        if (index >= 0) tabs->setTabText(index, Text(Key(page, "Caption"), tabs->tabText(index)));
    }

    void CheckList(QListWidget* list) {
        // Items show a check box once they have a check state.
        bool checkable = false;
        for (int i = 0; i < list->count(); ++i)
            checkable = checkable || list->item(i)->data(Qt::CheckStateRole).isValid();
        if (!checkable) return;
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setText(
                Text(Key(list, "Items" + QString::number(i)), list->item(i)->text()));
    }

    void Columns(QAbstractItemView* view) {
        QAbstractItemModel* model = view->model();
        if (model == nullptr) return;
        for (int i = 0; i < model->columnCount(); ++i) {
            const QString current = model->headerData(i, Qt::Horizontal).toString();
            model->setHeaderData(i, Qt::Horizontal,
                                 Text(Key(view, "Column" + QString::number(i)), current));
        }
    }

    TMyXmlobj& doc_;
    QString base_;
};

}  // namespace

void TranslateForm(QWidget* form, TMyXmlobj& doc) {
    if (form == nullptr) return;
    if (!doc.IsLoaded()) {
        NameControls(form);
        return;
    }
    const QString className = QString::fromLatin1(form->metaObject()->className());
    doc.SetFormName(className.toStdString());
    TFormTranslator translator(doc, QString::fromStdString(doc.Root().Name()) + "/" + className);
    form->setWindowTitle(translator.Text("self.Caption", form->windowTitle()));
    translator.MenuItems(form);
    translator.Components(form);
    NameControls(form);  // from the texts just translated
}

void TranslateForm(QWidget* form) {
    if (TMyXmlobj* doc = TranslationDocument())
        TranslateForm(form, *doc);
    else
        NameControls(form);
}

QString TrText(std::string_view key, const QString& defaultText) {
    return QString::fromStdString(Translate(key, defaultText.toStdString()));
}

QString FormatKeyText(const QString& format, const QStringList& args) {
    QString result;
    result.reserve(format.size());
    int next = 0;
    for (int i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == '%' && i + 1 < format.size()) {
            const QChar conversion = format[i + 1];
            if (conversion == '%') {
                result += '%';
                ++i;
                continue;
            }
            if (conversion == 's' || conversion == 'd') {
                if (next < args.size()) result += args[next++];
                ++i;
                continue;
            }
        }
        result += c;
    }
    return result;
}
