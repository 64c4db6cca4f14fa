#include "manager/shell/listfilterbox.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>

#include "common/widgets/formtranslation.h"
#include "manager/shell/devicefilter.h"

TListFilterBox::TListFilterBox(const TDeviceList& list, QTreeView* view, QLineEdit* box,
                               QLabel* count, QWidget* window)
    : QObject(box), list_(list), view_(view), box_(box), count_(count) {
    auto* find = new QAction(window);
    find->setShortcut(QKeySequence::Find);
    find->setShortcutContext(Qt::WindowShortcut);
    window->addAction(find);
    connect(find, &QAction::triggered, box_, [this] {
        box_->setFocus(Qt::ShortcutFocusReason);
        box_->selectAll();
    });
    auto* clear = new QAction(box_);
    clear->setShortcut(QKeySequence(Qt::Key_Escape));
    clear->setShortcutContext(Qt::WidgetShortcut);
    box_->addAction(clear);
    connect(clear, &QAction::triggered, box_, &QLineEdit::clear);

    connect(box_, &QLineEdit::textChanged, this, &TListFilterBox::Apply);
    QAbstractItemModel* model = view_->model();
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(model, signal, this, &TListFilterBox::Apply);
    connect(model, &QAbstractItemModel::dataChanged, this, &TListFilterBox::Apply);
    connect(model, &QAbstractItemModel::layoutChanged, this, &TListFilterBox::Apply);
    connect(model, &QAbstractItemModel::modelReset, this, &TListFilterBox::Apply);
    Retranslate();
}

void TListFilterBox::Apply() {
    const std::string text = box_->text().toStdString();
    QItemSelectionModel* selection = view_->selectionModel();
    std::size_t shown = 0;
    for (std::size_t row = 0; row < list_.RowCount(); ++row) {
        const bool visible = RowMatchesFilter(list_.Row(row), text);
        const int r = static_cast<int>(row);
        if (view_->isRowHidden(r, QModelIndex()) == visible)
            view_->setRowHidden(r, QModelIndex(), !visible);
        if (visible)
            ++shown;
        else if (selection->isRowSelected(r, QModelIndex()))
            // Commands act on the selected row: never on one the user cannot see.
            selection->select(view_->model()->index(r, 0),
                              QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    }
    count_->setText(text.empty() ? QString()
                                 : TrText("Pelmora/TFrmMain/lblFilterCount.Caption",
                                          QStringLiteral("显示 %1 台，共 %2 台"))
                                       .arg(shown)
                                       .arg(list_.RowCount()));
}

void TListFilterBox::Retranslate() {
    box_->setPlaceholderText(
        TrText("Pelmora/TFrmMain/edtFilter.TextHint",
               QStringLiteral("查找设备（Ctrl+F）：账号、名称、IP、MAC、型号、固件或位置")));
    Apply();
}
