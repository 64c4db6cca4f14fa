#include "manager/params/widgets/codeclist.h"

#include <QComboBox>
#include <QListWidget>
#include <QSignalBlocker>
#include <vector>

#include "manager/params/pagevalues.h"

namespace {

QString Name(int code) {
    const std::string_view name = CodecName(code);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

bool Enabled(const QListWidgetItem* item) {
    return (item->flags() & Qt::ItemIsEnabled) != 0;
}

// Items carry their codec code: a language file may rename them.
QListWidgetItem* NewItem(int code) {
    auto* item = new QListWidgetItem(Name(code));
    item->setData(Qt::UserRole, code);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    return item;
}

int RowOfCode(const QListWidget* list, int code) {
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->data(Qt::UserRole).toInt() == code) return i;
    return -1;
}

}  // namespace

QListWidget* NewCodecCheckList(QWidget* parent, const char* name) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    for (int code : {kCodecPcma, kCodecPcmu, kCodecG722})
        list->addItem(NewItem(code));
    QObject::connect(list, &QListWidget::itemChanged, list, [list](QListWidgetItem* changed) {
        if (changed->checkState() == Qt::Checked) return;
        for (int i = 0; i < list->count(); ++i) {
            const QListWidgetItem* other = list->item(i);
            if (other != changed && Enabled(other) && other->checkState() == Qt::Checked) return;
        }
        const QSignalBlocker blocker(list);
        changed->setCheckState(Qt::Checked);
    });
    return list;
}

void MoveCodecItem(QListWidget* list, int step) {
    const int row = list->currentRow();
    const int neighbour = row + step;
    if (row < 0 || neighbour < 0 || neighbour >= list->count()) return;
    if (!Enabled(list->item(row)) || !Enabled(list->item(neighbour))) return;
    const QSignalBlocker blocker(list);
    QListWidgetItem* item = list->takeItem(row);
    list->insertItem(neighbour, item);
    list->setCurrentRow(neighbour);
}

void LoadCodecList(QListWidget* list, const TParamBlock& block, const TParamField& field) {
    std::vector<int> found;
    for (int code : GetCodecs(block, field))
        if (RowOfCode(list, code) >= 0) found.push_back(code);
    // The stored codes first, ticked, in their order; the others after them, unticked (all of
    // them when the block holds none).
    const QSignalBlocker blocker(list);
    for (std::size_t position = 0; position < found.size(); ++position) {
        QListWidgetItem* item = list->takeItem(RowOfCode(list, found[position]));
        list->insertItem(static_cast<int>(position), item);
    }
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setCheckState(static_cast<std::size_t>(i) < found.size() ? Qt::Checked
                                                                                : Qt::Unchecked);
}

void SaveCodecList(const QListWidget* list, TParamBlock& block, const TParamField& field) {
    std::vector<int> codes;
    for (int i = 0; i < list->count(); ++i) {
        const QListWidgetItem* item = list->item(i);
        if (item->checkState() != Qt::Checked || !Enabled(item)) continue;
        codes.push_back(item->data(Qt::UserRole).toInt());
    }
    SetCodecs(block, field, codes);
}

void LoadCodecChoice(QComboBox* box, const TParamBlock& block, const TParamField& field) {
    for (int code : GetCodecs(block, field)) {
        const int index = box->findData(code);
        if (index >= 0) {
            box->setCurrentIndex(index);
            return;
        }
    }
    box->setCurrentIndex(0);
}

void SaveCodecChoice(const QComboBox* box, TParamBlock& block, const TParamField& field) {
    // By the item's code: a language file may rename the items.
    std::vector<int> codes;
    if (box->currentIndex() >= 0) codes.push_back(box->currentData().toInt());
    SetCodecs(block, field, codes);
}
